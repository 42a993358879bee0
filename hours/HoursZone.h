#pragma once
// The zone hours are read in: the one they name, or else the system's as it is now. A
// standard user may change the system's zone, but not the hours.
#include "hours/Hours.h"
#include "hours/ZoneRules.h"

enum class ZoneFound {
    Named,     // the zone the hours name
    Missing,   // they name one the registry doesn't have: zone holds nothing to use
    System,    // they name none: the system's, which name gives (empty if it gives none)
    NoSystem,  // they name none and the system gives none either: zone is UTC
};

// name gets zoneNameSize bytes: the zone's key name.
ZoneFound FindHoursZone(const HoursSchedule& schedule, ZoneRules& zone, char* name);
