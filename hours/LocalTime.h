#pragma once
// A local time, as LocalFromUtc counts it, as a calendar and a clock show it: what the
// guard's entries and the checker's report say the hours begin or end at.
#include <stdint.h>

const int daysPerWeek = 7;

struct LocalTime {
    int64_t dayNumber;  // days since 1601-01-01, to tell one day from another
    int weekday;        // 0 Monday .. 6 Sunday, as the schedule counts days
    int year, month, day;
    int hour, minute;
};

LocalTime SplitLocalTime(int64_t local);

// The day's name as hours.cfg writes it: "Mon" .. "Sun", or 月 .. 日 in UTF-8.
const char* WeekdayName(int weekday, bool japanese = false);
