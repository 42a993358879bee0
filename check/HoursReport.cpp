#include "check/HoursReport.h"

#include "hours/HoursAt.h"
#include "check/Console.h"
#include "check/Findings.h"
#include "check/HoursClock.h"
#include "check/HoursSource.h"
#include "check/Messages.h"
#include "check/Text.h"
#ifdef _WIN32
#include "hours/HoursPolicy.h"
#endif

#include <algorithm>

namespace {

const int daysPerWeek = 7;

// Monday is day 0, as in the schedule and in the count of days since 1601.
const char* DayName(int64_t day)
{
    return Text(static_cast<Message>(static_cast<int>(Message::DayMon) + static_cast<int>(day % daysPerWeek)));
}

std::string ClockTime(int minutes)
{
    return Format("%02d:%02d", minutes / 60, minutes % 60);
}

// "Mon 08:40", or "12:30" when it falls on the day of from.
std::string LocalMoment(int64_t local, int64_t from)
{
    int64_t day = local / secondsPerDay;
    int minutes = static_cast<int>(local % secondsPerDay / 60);
    if (day == from / secondsPerDay)
        return ClockTime(minutes);
    return std::string(DayName(day)) + " " + ClockTime(minutes);
}

bool StartsFirst(const HoursRange& a, const HoursRange& b)
{
    return a.start != b.start ? a.start < b.start : a.length < b.length;
}

// Each day's ranges in the order of the clock, as written: one past midnight stays
// with the day it starts on.
void PrintWeek(const HoursSchedule& schedule)
{
    HoursRange sorted[hoursCapacity];
    std::copy(schedule.ranges, schedule.ranges + schedule.count, sorted);
    std::sort(sorted, sorted + schedule.count, StartsFirst);
    int next = 0;
    for (int day = 0; day < daysPerWeek; ++day) {
        std::string line = "  " + Padded(DayName(day), 3);
        bool any = false;
        for (; next < schedule.count && sorted[next].start / minutesPerDay == day; ++next) {
            if (next > 0 && sorted[next].start == sorted[next - 1].start &&
                sorted[next].length == sorted[next - 1].length)
                continue;
            int start = sorted[next].start % minutesPerDay;
            int end = start + sorted[next].length;
            line += "  " + ClockTime(start) + "-" + ClockTime(end == minutesPerDay ? end : end % minutesPerDay);
            any = true;
        }
        if (!any)
            line += std::string("  ") + Text(Message::DayFree);
        Print(line + "\n");
    }
}

// The message for each fault, in HoursFault's order from LineTooLong on.
const Message faultMessages[] = {
    Message::FaultLineTooLong,  Message::FaultTextUnreadable, Message::FaultNoDays,
    Message::FaultUnknownDay,   Message::FaultNoRange,        Message::FaultBadRange,
    Message::FaultBadTime,      Message::FaultEmptyRange,     Message::FaultTooManyRanges,
    Message::FaultZoneEmpty,    Message::FaultZoneNotAscii,   Message::FaultZoneTooLong,
    Message::FaultZoneRepeated, Message::FaultFileUnreadable,
};
static_assert(sizeof faultMessages / sizeof faultMessages[0] ==
                  static_cast<int>(HoursFault::FileUnreadable),
              "a message for every fault");

std::string FaultText(HoursFault fault)
{
    if (fault == HoursFault::None)
        return std::string();
    // Only the limits' messages take a number; the others leave it unused.
    int limit = fault == HoursFault::ZoneTooLong ? zoneNameSize - 1 : hoursCapacity;
    return Say(faultMessages[static_cast<int>(fault) - 1], limit);
}

// Where the zone is named, or would be: the file, or the policy's value.
Origin ZoneOrigin(const HoursFound& found)
{
#ifdef _WIN32
    if (found.origin == HoursOrigin::Policy)
        return Origin{hoursPolicyZone, 0};
#endif
    return Origin{found.filePath, 0};
}

Origin ErrorOrigin(const HoursFound& found)
{
#ifdef _WIN32
    if (found.origin == HoursOrigin::Policy)
        return found.error.line > 0 ? Origin{hoursPolicyLines, found.error.line} : Origin{hoursPolicyZone, 0};
#endif
    return Origin{found.filePath, found.error.line};
}

void PrintZone(const HoursFound& found, const HoursClock& clock)
{
    const HoursSchedule& schedule = found.schedule;
    if (clock.zoneMissing) {
        Print(Say(Message::ZoneMissingHeading, schedule.zone));
        AddWarning(ZoneOrigin(found), Say(Message::ZoneMissing, schedule.zone));
    } else if (schedule.zone[0] != '\0') {
        Print(Say(Message::ZoneHeading, schedule.zone));
    } else {
        if (clock.systemZone[0] != '\0')
            Print(Say(Message::ZoneSystemHeading, clock.systemZone));
        else
            Print(Text(Message::ZoneOwnHeading));
        AddWarning(ZoneOrigin(found), Text(Message::ZoneNotSet));
    }
}

void PrintNow(const HoursSchedule& schedule, const HoursClock& clock)
{
    if (!clock.zoneKnown) {
#ifdef _WIN32
        Print(Text(Message::NowZoneMissing));
#else
        Print(Text(Message::NowNotHere));
#endif
        return;
    }
    HoursState state = HoursAt(schedule, clock.zone, clock.now);
    if (state.nextChange == noChange) {
        Print(Text(state.enforcing ? Message::NowAlways : Message::NowNever));
        return;
    }
    std::string moment = LocalMoment(LocalFromUtc(clock.zone, state.nextChange), LocalFromUtc(clock.zone, clock.now));
    Print(Say(state.enforcing ? Message::NowUntil : Message::NowFrom, moment.c_str()));
}

}  // namespace

void PrintHours(const char* settingsPath)
{
    static HoursFound found;
    FindHours(settingsPath, found);
    std::string file = ShownPath(found.filePath);
    switch (found.origin) {
    case HoursOrigin::None:
        Print(Say(Message::HoursNone, file.c_str()));
        return;
#ifdef _WIN32
    case HoursOrigin::PolicyDisabled:
        Print(Say(Message::HoursPolicyDisabled, hoursPolicyKey));
        return;
    case HoursOrigin::Policy:
        Print(Say(Message::HoursPolicy, hoursPolicyKey));
        if (found.fileReplaced)
            Print(Say(Message::HoursFileReplaced, file.c_str()));
        break;
#endif
    default:
        Print(Say(Message::HoursFile, file.c_str()));
        break;
    }
    if (found.refused) {
        Print(Text(Message::HoursRefused));
        AddWarning(ErrorOrigin(found), Say(Message::HoursLineRefused, FaultText(found.error.fault).c_str()));
        return;
    }
    if (found.schedule.count == 0) {
        Print(Text(Message::HoursNoRange));
        return;
    }
    static HoursClock clock;
    ReadHoursClock(found.schedule, clock);
    PrintZone(found, clock);
    PrintWeek(found.schedule);
    PrintNow(found.schedule, clock);
}
