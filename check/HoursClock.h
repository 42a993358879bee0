#pragma once
// The moment and the time zone the hours are judged in: the PC's clock and the zone the
// hours name, or the PC's own.
#include "hours/Hours.h"
#include "hours/ZoneRules.h"

struct HoursClock {
    int64_t now;             // UTC, as ZoneRules.h counts it
    ZoneRules zone;
    bool zoneKnown;          // zone holds the rules; false: no "now" can be told
    bool zonesHere;          // the system holds the zones' rules (Windows' registry)
    bool zoneMissing;        // the hours name a zone the registry doesn't have
    char systemZone[zoneNameSize];  // the PC's own zone's name, where it is read
};

// PYXEN_CHECK_NOW=2026-12-07T09:00+09:00 fixes the clock, for tests: the moment, as a
// local time and its offset from UTC. Without a registry (the Linux build) the offset
// also stands in for the zone, whatever the hours name; without the variable, Linux has
// no zone rules and tells no "now". check/win32/ and check/native/ give it.
void ReadHoursClock(const HoursSchedule& schedule, HoursClock& clock);

// The moment PYXEN_CHECK_NOW fixes, and its offset from UTC in minutes; false when it
// is not set, or says no such moment.
bool ReadFixedNow(int64_t& now, int& offsetMinutes);
