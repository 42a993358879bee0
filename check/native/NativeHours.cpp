// The Linux build has no zones' rules (and its registry is a file: NativeRegistry.cpp).
#include "check/HoursClock.h"

#include <string.h>

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
