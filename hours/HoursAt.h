#pragma once
// Whether enforcement hours hold at a moment, and when that next changes: the one
// answer the guard acts on and the checker shows.
#include "hours/Hours.h"
#include "hours/ZoneRules.h"

struct HoursState {
    bool enforcing;
    int64_t nextChange;  // UTC seconds, as ZoneRules.h counts them; noChange if never
};

// Whether local time (as LocalFromUtc gives it) falls in one of the ranges. A schedule
// without ranges holds always.
bool InHours(const HoursSchedule& schedule, int64_t local);

// The ranges are read on the zone's local clock: a range starts and ends at what the
// clock shows, so on the day daylight time begins or ends it is an hour shorter or
// longer in UTC, and a range in the skipped hour begins when the clock jumps.
HoursState HoursAt(const HoursSchedule& schedule, const ZoneRules& zone, int64_t utc);
