#include "hours/LocalTime.h"

#include "hours/ZoneRules.h"

namespace {

const char* const englishDays[daysPerWeek] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
const char* const japaneseDays[daysPerWeek] = {"\xE6\x9C\x88", "\xE7\x81\xAB", "\xE6\xB0\xB4",
                                               "\xE6\x9C\xA8", "\xE9\x87\x91", "\xE5\x9C\x9F",
                                               "\xE6\x97\xA5"};

}  // namespace

LocalTime SplitLocalTime(int64_t local)
{
    LocalTime time;
    time.dayNumber = local / secondsPerDay;
    // 1601-01-01 was a Monday.
    time.weekday = static_cast<int>(time.dayNumber % daysPerWeek);
    DateFromDays(time.dayNumber, time.year, time.month, time.day);
    int minutes = static_cast<int>(local % secondsPerDay / 60);
    time.hour = minutes / 60;
    time.minute = minutes % 60;
    return time;
}

const char* WeekdayName(int weekday, bool japanese)
{
    return (japanese ? japaneseDays : englishDays)[weekday % daysPerWeek];
}
