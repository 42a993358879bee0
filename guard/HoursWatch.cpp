#include "guard/HoursWatch.h"

#include "config/Decimal.h"
#include "hours/HoursAt.h"
#include "hours/HoursSource.h"
#include "hours/HoursZone.h"
#include "hours/LocalTime.h"
#include "hours/ZoneLookup.h"
#include "guard/EventWords.h"
#include "guard/Guard.h"
#include "guard/StampWatch.h"
#include "platform/CodePage.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

namespace {

const int pathSize = 260;

char hoursPath[pathSize];
wchar_t hoursPathWide[pathSize];

// All but hours from the file or the policy enforce always.
struct InForce {
    HoursSource source;
    bool failedClosed;  // refused at the start with none to keep: enforcing always
    HoursSchedule schedule;  // no range: always
    ZoneRules zone;
    char zoneName[zoneNameSize];  // the one named, or else the system's when applied
};
InForce inForce;
InForce candidate;

// The system's zone when last looked at, for hours that name none: each change of it
// gets one entry.
char systemZoneSeen[zoneNameSize];

// hours.cfg was there but couldn't be opened, and why: it is tried again at each poll,
// since letting go of a file changes no stamp.
enum class Unread { No, Denied, Held };
Unread fileUnread;

// The policy as last read, to tell its changes; a refused one stays refused until then.
PolicyRead policy;
HoursChosen chosen;

FileStamp fileKnown;  // hours.cfg's stamp when it was last read
bool folderChanged;
FileStamp settlingStamp;
StampWatch settle(&settlingStamp, hoursQuietMs);
GuardTime pollAt;
GuardTime boundaryAt;  // 0: none ahead
int reported;          // the enforcement last acted on: -1 before the first

bool SameSchedule(const HoursSchedule& a, const HoursSchedule& b)
{
    return a.count == b.count && strcmp(a.zone, b.zone) == 0 &&
           memcmp(a.ranges, b.ranges, sizeof(HoursRange) * static_cast<size_t>(a.count)) == 0;
}

bool SamePolicy(const PolicyRead& a, const PolicyRead& b)
{
    return a.kind == b.kind && a.error.line == b.error.line && a.error.fault == b.error.fault &&
           SameSchedule(a.schedule, b.schedule);
}

const wchar_t* SourceText(HoursSource source)
{
    bool fromPolicy = source == HoursSource::Policy || source == HoursSource::PolicyOff;
    return fromPolicy ? hoursPolicyKeyWide : hoursPathWide;
}

void ReportHours(GuardEvent event, const wchar_t* second, const wchar_t* third,
                 HoursSource source)
{
    const wchar_t* strings[] = {SourceText(source), second, third};
    ReportGuardEvent(event, strings, third ? 3 : 2);
}

// A zone's key name for an entry; the system may give none.
void ZoneText(const char* name, wchar_t* text)
{
    if (name[0])
        AnsiToWide(name, text, zoneNameSize);
    else
        wcscpy(text, noZoneNameWord);
}

bool NamesNoZone(const InForce& hours)
{
    return (hours.source == HoursSource::File || hours.source == HoursSource::Policy) &&
           hours.schedule.count > 0 && hours.schedule.zone[0] == '\0';
}

// Hours that name no zone keep theirs; a change of the system's is only noted.
void NoteSystemZone()
{
    ZoneRules zone;
    char name[zoneNameSize];
    ReadSystemZone(zone, name, zoneNameSize);
    if (strcmp(name, systemZoneSeen) == 0)
        return;
    wchar_t before[zoneNameSize];
    wchar_t after[zoneNameSize];
    wchar_t kept[zoneNameSize];
    ZoneText(systemZoneSeen, before);
    ZoneText(name, after);
    ZoneText(inForce.zoneName, kept);
    const wchar_t* strings[] = {SourceText(inForce.source), before, after, kept};
    ReportGuardEvent(GuardEvent::HoursZoneChanged, strings, 4);
    snprintf(systemZoneSeen, zoneNameSize, "%s", name);
}

// A source that can't be used: the hours in force stay, or, with none yet, enforcing
// always.
void Refuse(HoursSource source, int line, const wchar_t* why, bool starting)
{
    wchar_t lineText[decimalSize];
    WriteDecimal(static_cast<unsigned long long>(line), lineText);
    if (starting) {
        ClearHours(inForce.schedule);
        // Its entries name hours.cfg, whichever source was refused.
        inForce.source = HoursSource::None;
        inForce.failedClosed = true;
        inForce.zoneName[0] = '\0';
    }
    ReportHours(starting ? GuardEvent::HoursFailClosed : GuardEvent::HoursRefused, lineText,
                why, source);
}

// Reads the policy's hours, or the file's, into candidate, and puts them in force
// unless refused. Applied hours are reported when they differ from those in force. A
// retry of a file that couldn't be opened says nothing while it still can't be.
void TakeHours(bool starting, bool retry = false)
{
    ChooseHours(policy, hoursPath, chosen);
    HoursSource source = chosen.source;
    const wchar_t* why = HoursFaultWord(chosen.error.fault);
    if (policy.kind == PolicyHours::NotConfigured) {
        Unread unread = Unread::No;
        if (chosen.error.fault == HoursFault::FileUnreadable)
            unread = FileIsHeld(hoursPath) ? Unread::Held : Unread::Denied;
        bool same = retry && unread == fileUnread;
        fileUnread = unread;
        if (unread == Unread::Held)
            why = fileHeldWord;
        if (chosen.refused && same)
            return;
    }
    if (chosen.refused) {
        Refuse(source, chosen.error.line, why, starting);
        return;
    }
    candidate.source = source;
    candidate.failedClosed = false;
    candidate.schedule = chosen.schedule;
    // Hours that name no zone keep the system's as it is now until they are applied again.
    if (FindHoursZone(candidate.schedule, candidate.zone, candidate.zoneName) ==
        ZoneFound::Missing) {
        Refuse(source, 0, noSuchZoneWord, starting);
        return;
    }
    bool changed = candidate.source != inForce.source ||
                   candidate.failedClosed != inForce.failedClosed ||
                   !SameSchedule(candidate.schedule, inForce.schedule) ||
                   strcmp(candidate.zoneName, inForce.zoneName) != 0;
    inForce = candidate;
    if (!inForce.schedule.zone[0])
        snprintf(systemZoneSeen, zoneNameSize, "%s", inForce.zoneName);
    if (!changed || (starting && source == HoursSource::None))
        return;
    wchar_t ranges[decimalSize];
    wchar_t kept[zoneNameSize];
    wchar_t zone[zoneNameSize + 32];
    WriteDecimal(static_cast<unsigned long long>(inForce.schedule.count), ranges);
    AnsiToWide(inForce.zoneName, kept, zoneNameSize);
    if (inForce.schedule.zone[0])
        wcscpy(zone, kept);
    else if (inForce.zoneName[0])
        swprintf(zone, zoneNameSize + 32, L"%ls %ls", kept, systemsZoneWord);
    else
        wcscpy(zone, systemsZoneAloneWord);
    ReportHours(GuardEvent::HoursApplied, ranges, zone, source);
}

// The local time in the hours' zone, for an entry: "2026/12/07 (Mon) 08:40", the day's
// name in the reader's language.
void LocalText(int64_t utc, wchar_t* text, int size)
{
    if (utc == noChange) {
        wcscpy(text, noEndWord);
        return;
    }
    LocalTime local = SplitLocalTime(LocalFromUtc(inForce.zone, utc));
    swprintf(text, static_cast<size_t>(size), L"%04d/%02d/%02d (%ls) %02d:%02d", local.year,
             local.month, local.day, WeekdayWord(local.weekday), local.hour, local.minute);
}

// Where the hours are now: at a beginning or an end, enforcement follows with one entry.
void Follow()
{
    int64_t utc = GuardUtcNow();
    HoursState state = HoursAt(inForce.schedule, inForce.zone, utc);
    boundaryAt = 0;
    if (state.nextChange != noChange && state.nextChange > utc)
        boundaryAt = GuardNow() + static_cast<GuardTime>(state.nextChange - utc) * 1000;
    int now = state.enforcing ? 1 : 0;
    if (now == reported)
        return;
    bool first = reported < 0;
    reported = now;
    // Enforcing always from the start is how the guard has always begun: no entry.
    if ((!first || inForce.schedule.count > 0) && state.enforcing &&
        state.nextChange == noChange) {
        const wchar_t* strings[] = {SourceText(inForce.source)};
        ReportGuardEvent(GuardEvent::HoursBeganNoEnd, strings, 1);
    } else if (!first || inForce.schedule.count > 0) {
        wchar_t when[48];
        LocalText(state.nextChange, when, 48);
        ReportHours(state.enforcing ? GuardEvent::HoursBegan : GuardEvent::HoursEnded, when,
                    nullptr, inForce.source);
    }
    GuardSetEnforcing(state.enforcing);
}

}  // namespace

void StartHoursWatch(const char* path)
{
    snprintf(hoursPath, pathSize, "%s", path);
    AnsiToWide(hoursPath, hoursPathWide, pathSize);
    memset(&inForce, 0, sizeof inForce);
    fileUnread = Unread::No;
    fileKnown = ReadFileStamp(hoursPath);
    folderChanged = false;
    settle.Stop();
    reported = -1;
    ReadPolicy(policy);
    TakeHours(true);
    pollAt = GuardNow() + hoursPollMs;
}

bool HoursEnforcing()
{
    return HoursAt(inForce.schedule, inForce.zone, GuardUtcNow()).enforcing;
}

void HoursFolderChanged()
{
    folderChanged = true;
}

void HoursReadAgain()
{
    pollAt = GuardNow();
}

void HoursPolicyChanged()
{
    pollAt = GuardNow() + hoursQuietMs;
}

void CheckHours()
{
    GuardTime now = GuardNow();
    bool reread = false;
    bool poll = now >= pollAt;
    if (poll) {
        pollAt = now + hoursPollMs;
        PolicyRead read;
        ReadPolicy(read);
        if (!SamePolicy(read, policy)) {
            policy = read;
            reread = true;
        } else if (NamesNoZone(inForce)) {
            NoteSystemZone();
        } else if (inForce.schedule.zone[0]) {
            // The zone they name, as the registry describes it now: Windows updates the
            // zones' rules.
            ZoneRules zone;
            if (ReadNamedZone(inForce.schedule.zone, zone))
                inForce.zone = zone;
        }
    }
    if (poll || folderChanged || (settle.Settling() && now >= settle.SettleAt())) {
        folderChanged = false;
        FileStamp stamp = ReadFileStamp(hoursPath);
        if (settle.Settled(&stamp, &fileKnown, 1, now)) {
            fileKnown = stamp;
            // Under the policy the file waits: it is read when the policy lets it decide.
            reread = reread || policy.kind == PolicyHours::NotConfigured;
        }
    }
    if (reread)
        TakeHours(false);
    else if (poll && fileUnread != Unread::No && policy.kind == PolicyHours::NotConfigured)
        TakeHours(false, true);
    Follow();
}

GuardTime NextHoursCheck()
{
    if (folderChanged)
        return GuardNow();
    GuardTime next = pollAt;
    if (settle.Settling() && settle.SettleAt() < next)
        next = settle.SettleAt();
    if (boundaryAt && boundaryAt < next)
        next = boundaryAt;
    return next;
}
