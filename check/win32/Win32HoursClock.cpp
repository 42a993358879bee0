#include "check/HoursClock.h"

#include "hours/HoursZone.h"
#include "hours/ZoneLookup.h"

#include <stdio.h>

// The zone is the registry's, as the guard reads it; a fixed moment keeps it.
void ReadHoursClock(const HoursSchedule& schedule, HoursClock& clock)
{
    int offset = 0;
    if (!ReadFixedNow(clock.now, offset))
        clock.now = SystemUtcNow();
    char name[zoneNameSize];
    ZoneFound found = FindHoursZone(schedule, clock.zone, name);
    clock.zonesHere = true;
    clock.zoneKnown = found == ZoneFound::Named || found == ZoneFound::System;
    clock.zoneMissing = found == ZoneFound::Missing;
    snprintf(clock.systemZone, zoneNameSize, "%s", found == ZoneFound::System ? name : "");
}
