#include "check/HoursClock.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#ifdef _WIN32
#include "hours/ZoneLookup.h"
#endif

namespace {

#ifndef _WIN32
// A zone that keeps one offset all year.
void FixedZone(int offsetMinutes, ZoneRules& zone)
{
    memset(&zone, 0, sizeof zone);
    zone.rule.bias = -offsetMinutes;
}
#endif

bool ReadFixedNow(int64_t& now, int& offsetMinutes)
{
    const char* value = getenv("PYXEN_CHECK_NOW");
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, offsetHour = 0, offsetMinute = 0;
    char sign = 0;
    int used = 0;
    if (value == nullptr || sscanf(value, "%4d-%2d-%2dT%2d:%2d%c%2d:%2d%n", &year, &month, &day, &hour,
                                   &minute, &sign, &offsetHour, &offsetMinute, &used) != 8 ||
        value[used] != '\0' || (sign != '+' && sign != '-'))
        return false;
    offsetMinutes = (sign == '-' ? -1 : 1) * (offsetHour * 60 + offsetMinute);
    now = DaysFromDate(year, month, day) * secondsPerDay + (hour * 60 + minute - offsetMinutes) * int64_t{60};
    return true;
}

}  // namespace

void ReadHoursClock(const HoursSchedule& schedule, HoursClock& clock)
{
    int offset = 0;
    bool fixed = ReadFixedNow(clock.now, offset);
    clock.zoneMissing = false;
    clock.systemZone[0] = '\0';
#ifdef _WIN32
    if (!fixed)
        clock.now = SystemUtcNow();
    if (schedule.zone[0] != '\0') {
        clock.zoneKnown = ReadNamedZone(schedule.zone, clock.zone);
        clock.zoneMissing = !clock.zoneKnown;
    } else {
        clock.zoneKnown = ReadSystemZone(clock.zone, clock.systemZone, zoneNameSize);
    }
#else
    (void)schedule;
    clock.zoneKnown = fixed;
    if (fixed)
        FixedZone(offset, clock.zone);
#endif
}
