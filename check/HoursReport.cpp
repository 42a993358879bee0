#include "check/HoursReport.h"

#include "hours/HoursAt.h"
#include "hours/HoursPolicy.h"
#include "hours/LocalTime.h"
#include "check/Console.h"
#include "check/Findings.h"
#include "check/HoursClock.h"
#include "check/HoursSource.h"
#include "check/Messages.h"
#include "check/Text.h"

#include <algorithm>

namespace {

const char* DayName(int day)
{
    return WeekdayName(day, InJapanese());
}

std::string ClockTime(int minutes)
{
    return Format("%02d:%02d", minutes / 60, minutes % 60);
}

// "Mon 08:40", or "12:30" when it falls on the day of from.
std::string LocalMoment(int64_t local, int64_t from)
{
    LocalTime time = SplitLocalTime(local);
    std::string clock = ClockTime(time.hour * 60 + time.minute);
    if (time.dayNumber == SplitLocalTime(from).dayNumber)
        return clock;
    return std::string(DayName(time.weekday)) + " " + clock;
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
    Message::FaultZoneRepeated, Message::FaultFileUnreadable, Message::FaultValueNotLine,
};
static_assert(sizeof faultMessages / sizeof faultMessages[0] ==
                  static_cast<int>(HoursFault::ValueNotLine),
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
    if (found.hours.source == HoursSource::Policy)
        return Origin{hoursPolicyZone, 0};
    return Origin{found.filePath, 0};
}

Origin ErrorOrigin(const HoursFound& found)
{
    const HoursError& error = found.hours.error;
    if (found.hours.source == HoursSource::Policy)
        return error.line > 0 ? Origin{hoursPolicyLines, error.line} : Origin{hoursPolicyZone, 0};
    return Origin{found.filePath, error.line};
}

void PrintZone(const HoursFound& found, const HoursClock& clock)
{
    const HoursSchedule& schedule = found.hours.schedule;
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
        Print(Text(clock.zonesHere ? Message::NowZoneMissing : Message::NowNotHere));
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
    switch (found.hours.source) {
    case HoursSource::None:
        Print(Say(Message::HoursNone, file.c_str()));
        return;
    case HoursSource::PolicyOff:
        Print(Say(Message::HoursPolicyDisabled, hoursPolicyKey));
        return;
    case HoursSource::Policy:
        Print(Say(Message::HoursPolicy, hoursPolicyKey));
        if (found.fileReplaced)
            Print(Say(Message::HoursFileReplaced, file.c_str()));
        break;
    case HoursSource::File:
        Print(Say(Message::HoursFile, file.c_str()));
        break;
    }
    const HoursSchedule& schedule = found.hours.schedule;
    if (found.hours.refused) {
        Print(Text(Message::HoursRefused));
        AddWarning(ErrorOrigin(found), Say(Message::HoursLineRefused, FaultText(found.hours.error.fault).c_str()));
        return;
    }
    if (schedule.count == 0) {
        Print(Text(Message::HoursNoRange));
        return;
    }
    static HoursClock clock;
    ReadHoursClock(schedule, clock);
    PrintZone(found, clock);
    PrintWeek(schedule);
    PrintNow(schedule, clock);
}
