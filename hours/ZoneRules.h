#pragma once
// A time zone as Windows describes it, and the conversion of UTC into its local time.
// No Win32 here: the rules come in as data, from the registry or from a test.
#include <stdint.h>

// Times are whole seconds since 1601-01-01 00:00 UTC, a FILETIME's ticks / 10^7.
const int64_t secondsPerDay = 86400;
const int64_t noChange = INT64_MAX;

// SYSTEMTIME's layout. As a transition rule, with year 0: the day-th dayOfWeek
// (0 Sunday) of month, day 5 being the last, at hour:minute:second local time; with a
// year: day is the day of the month. Month 0: no such transition.
struct ZoneDate {
    uint16_t year;
    uint16_t month;
    uint16_t dayOfWeek;
    uint16_t day;
    uint16_t hour;
    uint16_t minute;
    uint16_t second;
    uint16_t milliseconds;
};

// The layout of a zone's TZI value (and of each year of its Dynamic DST key), so the
// registry's bytes copy straight in. Minutes: UTC = local + bias + standardBias, or
// + daylightBias while daylight time is on. daylightDate says when it begins, in
// standard time; standardDate when it ends, in daylight time.
struct ZoneRule {
    int32_t bias;
    int32_t standardBias;
    int32_t daylightBias;
    ZoneDate standardDate;
    ZoneDate daylightDate;
};
static_assert(sizeof(ZoneRule) == 44, "a ZoneRule is a TZI value");

// Room for a zone's year-by-year rules: the registry's longest run is a few decades.
const int zoneYearCapacity = 64;

struct ZoneRules {
    ZoneRule rule;     // every year, unless years are given
    int firstYear;     // years[0]'s; earlier years follow it, later ones the last
    int yearCount;     // 0: rule alone
    ZoneRule years[zoneYearCapacity];
};

// Days since 1601-01-01, and back.
int64_t DaysFromDate(int year, int month, int day);
void DateFromDays(int64_t days, int& year, int& month, int& day);

// Local time in the zone, in the same seconds (counted as if the local clock were UTC).
// An offset of a day or more from UTC, which no zone has, is held to a day.
int64_t LocalFromUtc(const ZoneRules& zone, int64_t utc);

// The first moment after utc at which the zone's offset may change, or noChange.
int64_t NextZoneChange(const ZoneRules& zone, int64_t utc);
