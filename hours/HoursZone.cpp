#include "hours/HoursZone.h"

#include "hours/ZoneLookup.h"

#include <stdio.h>
#include <string.h>

ZoneFound FindHoursZone(const HoursSchedule& schedule, ZoneRules& zone, char* name)
{
    if (schedule.zone[0]) {
        snprintf(name, zoneNameSize, "%s", schedule.zone);
        return ReadNamedZone(schedule.zone, zone) ? ZoneFound::Named : ZoneFound::Missing;
    }
    if (ReadSystemZone(zone, name, zoneNameSize))
        return ZoneFound::System;
    memset(&zone, 0, sizeof zone);
    return ZoneFound::NoSystem;
}
