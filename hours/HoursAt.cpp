#include "hours/HoursAt.h"

namespace {

const int64_t secondsPerWeek = 7 * secondsPerDay;

int64_t FloorModulo(int64_t value, int64_t by)
{
    int64_t rest = value % by;
    return rest < 0 ? rest + by : rest;
}

// Seconds since Monday 00:00; 1601-01-01 was a Monday.
int64_t WeekSecond(int64_t local)
{
    return FloorModulo(local, secondsPerWeek);
}

// Seconds from local to the next start or end of any range, never 0.
int64_t ToNextBoundary(const HoursSchedule& schedule, int64_t local)
{
    int64_t now = WeekSecond(local);
    int64_t nearest = secondsPerWeek;
    for (int i = 0; i < schedule.count; ++i) {
        int64_t boundary = schedule.ranges[i].start * int64_t{60};
        for (int side = 0; side < 2; ++side) {
            int64_t distance = FloorModulo(boundary - now, secondsPerWeek);
            if (distance > 0 && distance < nearest)
                nearest = distance;
            boundary += schedule.ranges[i].length * int64_t{60};
        }
    }
    return nearest;
}

}  // namespace

bool InHours(const HoursSchedule& schedule, int64_t local)
{
    if (schedule.count == 0)
        return true;
    int64_t now = WeekSecond(local);
    for (int i = 0; i < schedule.count; ++i) {
        // A Sunday range past midnight reaches past the week's end into Monday.
        int64_t into = FloorModulo(now - schedule.ranges[i].start * int64_t{60}, secondsPerWeek);
        if (into < schedule.ranges[i].length * int64_t{60})
            return true;
    }
    return false;
}

HoursState HoursAt(const HoursSchedule& schedule, const ZoneRules& zone, int64_t utc)
{
    HoursState state = {InHours(schedule, LocalFromUtc(zone, utc)), noChange};
    if (schedule.count == 0)
        return state;
    // Between one boundary or change of offset and the next nothing can change, so the
    // search steps from one to the next. Hours that change at all do so within a week of
    // local time; a day more covers any offset.
    int64_t horizon = utc + 8 * secondsPerDay;
    for (int64_t at = utc; at < horizon;) {
        int64_t next = at + ToNextBoundary(schedule, LocalFromUtc(zone, at));
        int64_t offsetChange = NextZoneChange(zone, at);
        if (offsetChange < next)
            next = offsetChange;
        at = next;
        if (InHours(schedule, LocalFromUtc(zone, at)) != state.enforcing) {
            state.nextChange = at;
            return state;
        }
    }
    return state;
}
