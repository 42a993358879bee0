#include "hours/ZoneRules.h"

namespace {

// No zone lies more than 14 hours from UTC; a day is beyond any of them.
const int64_t offsetLimit = 24 * 60;

int64_t FloorDivide(int64_t value, int64_t by)
{
    int64_t quotient = value / by;
    return value % by < 0 ? quotient - 1 : quotient;
}

bool IsLeap(int year)
{
    return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int DaysInMonth(int year, int month)
{
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return month == 2 && IsLeap(year) ? 29 : days[month - 1];
}

int YearOf(int64_t seconds)
{
    int year = 0;
    int month = 0;
    int day = 0;
    DateFromDays(FloorDivide(seconds, secondsPerDay), year, month, day);
    return year;
}

// UTC - local, in minutes, for a bias and the standard or daylight bias added to it.
// The registry holds them as two LONGs of any value: summed in 64 bits, and a sum that
// puts the zone a day or more from UTC is held to a day, so that what is done with the
// offset later can't overflow either and a bad zone still reads a time near the true one.
int64_t Offset(int32_t bias, int32_t extra)
{
    int64_t minutes = int64_t{bias} + extra;
    return minutes < -offsetLimit ? -offsetLimit : minutes > offsetLimit ? offsetLimit : minutes;
}

const ZoneRule& RuleFor(const ZoneRules& zone, int year)
{
    if (zone.yearCount <= 0)
        return zone.rule;
    int64_t index = int64_t{year} - zone.firstYear;
    if (index < 0)
        index = 0;
    if (index >= zone.yearCount)
        index = zone.yearCount - 1;
    return zone.years[index];
}

// The local moment a transition rule names in year, or noChange when it names none.
int64_t TransitionLocal(const ZoneDate& date, int year)
{
    if (date.month < 1 || date.month > 12)
        return noChange;
    int64_t first = DaysFromDate(year, date.month, 1);
    int day = date.day < 1 ? 1 : date.day;
    if (date.year == 0) {
        // Week 5 means the month's last; a larger one, which only a damaged value holds,
        // means it too, and keeps the step back below short.
        if (day > 5)
            day = 5;
        // 1601-01-01 was a Monday; dayOfWeek counts from Sunday.
        int firstWeekday = static_cast<int>((first + 1) % 7);
        day = 1 + (date.dayOfWeek - firstWeekday + 7) % 7 + 7 * (day - 1);
        while (day > DaysInMonth(year, date.month))
            day -= 7;
    } else if (day > DaysInMonth(year, date.month)) {
        day = DaysInMonth(year, date.month);
    }
    // 23:59:59.999, how a rule says "at the year's end", is the next second.
    return (first + day - 1) * secondsPerDay + date.hour * 3600 + date.minute * 60 + date.second +
           (date.milliseconds > 0 ? 1 : 0);
}

// When daylight time begins and ends in year, in UTC; false for a year without it.
bool Transitions(const ZoneRule& rule, int year, int64_t& toDaylight, int64_t& toStandard)
{
    int64_t daylight = TransitionLocal(rule.daylightDate, year);
    int64_t standard = TransitionLocal(rule.standardDate, year);
    if (daylight == noChange || standard == noChange)
        return false;
    toDaylight = daylight + Offset(rule.bias, rule.standardBias) * 60;
    toStandard = standard + Offset(rule.bias, rule.daylightBias) * 60;
    return true;
}

// UTC - local, in minutes, at utc.
int64_t BiasAt(const ZoneRules& zone, int64_t utc)
{
    int year = YearOf(utc - Offset(zone.rule.bias, zone.rule.standardBias) * 60);
    const ZoneRule& rule = RuleFor(zone, year);
    int64_t toDaylight = 0;
    int64_t toStandard = 0;
    if (!Transitions(rule, year, toDaylight, toStandard))
        return Offset(rule.bias, rule.standardBias);
    // In the southern hemisphere daylight time spans the new year.
    bool daylight = toDaylight < toStandard ? utc >= toDaylight && utc < toStandard
                                            : utc >= toDaylight || utc < toStandard;
    return Offset(rule.bias, daylight ? rule.daylightBias : rule.standardBias);
}

void KeepEarliest(int64_t candidate, int64_t after, int64_t& earliest)
{
    if (candidate > after && candidate < earliest)
        earliest = candidate;
}

}  // namespace

int64_t DaysFromDate(int year, int month, int day)
{
    // Counted in years from March, so that a leap day ends its year.
    int64_t y = month <= 2 ? year - 1 : year;
    int64_t era = FloorDivide(y, 400);
    int64_t yearOfEra = y - era * 400;
    int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    // Day 0 of era 0 is 0000-03-01; 1601-01-01 comes 584694 days later.
    return era * 146097 + dayOfEra - 584694;
}

void DateFromDays(int64_t days, int& year, int& month, int& day)
{
    int64_t z = days + 584694;
    int64_t era = FloorDivide(z, 146097);
    int64_t dayOfEra = z - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
}

int64_t LocalFromUtc(const ZoneRules& zone, int64_t utc)
{
    return utc - BiasAt(zone, utc) * 60;
}

int64_t NextZoneChange(const ZoneRules& zone, int64_t utc)
{
    int year = YearOf(LocalFromUtc(zone, utc));
    int64_t earliest = noChange;
    for (int y = year - 1; y <= year + 1; ++y) {
        int64_t toDaylight = 0;
        int64_t toStandard = 0;
        if (Transitions(RuleFor(zone, y), y, toDaylight, toStandard)) {
            KeepEarliest(toDaylight, utc, earliest);
            KeepEarliest(toStandard, utc, earliest);
        }
    }
    // A zone whose rules change from one year to the next may change its offset as the
    // new year begins.
    if (zone.yearCount > 0) {
        int64_t bias = BiasAt(zone, utc) * 60;
        KeepEarliest(DaysFromDate(year + 1, 1, 1) * secondsPerDay + bias, utc, earliest);
    }
    return earliest;
}
