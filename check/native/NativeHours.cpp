// The Linux build has no registry: no policy, and no zones' rules.
#include "check/HoursClock.h"

#include "hours/HoursPolicy.h"

#include <string.h>

PolicyHours ReadHoursPolicy(HoursSchedule& schedule, HoursError& error)
{
    ClearHours(schedule);
    error = HoursError{0, HoursFault::None};
    return PolicyHours::NotConfigured;
}

// The fixed moment's offset stands in for the zone, all year.
void ReadHoursClock(const HoursSchedule&, HoursClock& clock)
{
    int offset = 0;
    clock.zoneKnown = ReadFixedNow(clock.now, offset);
    clock.zonesHere = false;
    clock.zoneMissing = false;
    clock.systemZone[0] = '\0';
    memset(&clock.zone, 0, sizeof clock.zone);
    clock.zone.rule.bias = -offset;
}
