#pragma once
// What the guard service asks of Windows, and nothing more. pyxen-guard.exe links the
// Win32 side; the unit tests link the in-memory fake in its place, so the guard's
// decisions (which sessions get a Pyxen, when to start one again, when to hold one
// back, when to apply edited settings) are tested natively, as the sweep is.
#include "hours/HoursFile.h"
#include "hours/HoursPolicy.h"

#include <stdint.h>

typedef unsigned long SessionId;
const SessionId noSession = 0xFFFFFFFFul;

// Milliseconds on a clock that only goes forward (GetTickCount64 on Windows).
typedef uint64_t GuardTime;
GuardTime GuardNow();

// A pyxen.exe the guard started; 0 is none. What the guard holds for it (its handle,
// its job, its wait) stays until EndPyxen, whether it still runs or not.
typedef uintptr_t ChildId;

// --- Sessions and the Pyxen in each ---------------------------------------------

// What Windows tells of a session. Which of them get a Pyxen is the guard's decision
// (guard/UserSessions.h), not the system's.
enum class SessionState { Active, Connected, Disconnected, Other };
struct SessionFact {
    SessionId id;
    SessionState state;
    bool hasUserName;  // the session names a user
};

// Every session Windows lists, at most capacity of them; returns how many, or -1 when
// the list can't be had.
int ListSessions(SessionFact* sessions, int capacity);

// The session attached to the physical console, or noSession.
SessionId ActiveConsoleSession();

// The name of the session's user ("DOMAIN\name" or "name"), NUL-terminated and cut to
// size; an empty string when it can't be told.
void SessionUserName(SessionId session, wchar_t* name, int size);

// Starts pyxen.exe in the session, on its interactive desktop, in the folder that holds
// pyxen.exe and its settings. Returns 0 and the Windows error in error when it can't.
ChildId StartPyxen(SessionId session, unsigned long& error);

// --- The session's other desktops (desktops/) ---------------------------------
// The service can't open another session's window station, so a watch inside the session,
// pyxen-desktops.exe, looks at its desktops and reports them (desktops/DesktopReport.h).

// Starts pyxen.exe as StartPyxen does, on the named desktop of the session's WinSta0.
ChildId StartPyxenOn(SessionId session, const wchar_t* desktop, unsigned long& error);

// Starts the session's desktop watch as a Pyxen is started (same account, a job of its
// own), with the pipe its reports come by. PyxenEnded and EndPyxen serve it as they do
// a Pyxen.
ChildId StartDesktopWatch(SessionId session, unsigned long& error);

// The watch's next report, whole, into report (size bytes, desktopReportSize at least):
// its length, or 0 when none has come. It never waits; a report that has come wakes the
// loop as a child's end does.
int ReadDesktopReport(ChildId watch, char* report, int size);

// True once the child has ended; its exit status is then in status.
bool PyxenEnded(ChildId child, unsigned long& status);

// Ends the child if it still runs, waits up to waitMs for its end, and frees all the
// guard holds for it. The loop waits meanwhile.
void EndPyxen(ChildId child, GuardTime waitMs);

// --- The files the settings use -------------------------------------------------

// What tells a file's change: its last-write time and size. reachable is false when
// the file or its share can't be reached right now, which is not a change.
struct FileStamp {
    uint64_t lastWrite;
    uint64_t size;
    bool reachable;
    bool gone = false;  // not there at all, where it could be looked for: deleted
};

FileStamp ReadFileStamp(const char* path);

inline bool SameStamp(const FileStamp& a, const FileStamp& b)
{
    return a.reachable == b.reachable && a.gone == b.gone && a.lastWrite == b.lastWrite &&
           a.size == b.size;
}

// --- The guard's own folder (guard/SettingsStore.h) ------------------------------

// Between a folder and a name in a path: a backslash on Windows.
extern const char pathSeparator;

// Makes the folder if need be, and gives it (and what it holds) an access list that
// lets SYSTEM and Administrators in and nobody else, whatever it had before.
bool PrepareStoreFolder(const char* path);

// Puts the file from in to's place at once, replacing it.
bool ReplaceWithFile(const char* from, const char* to);

// Whether the file can't be opened now because another program holds it open without
// sharing it.
bool FileIsHeld(const char* path);

// --- Enforcement hours -----------------------------------------------------------
// hours.cfg is read with the readers (ReadHoursFile) and its change told by its stamp;
// zones come from hours/ZoneLookup.h, which the fake also gives.

// The wall clock in UTC seconds since 1601 (ZoneRules.h), which jumps when the time is
// set, unlike GuardNow.
int64_t GuardUtcNow();

// The machine policy, of the hours and of the settings, is the registry's values as they
// are (ReadRegistryKey, policy/RegistryKey.h), which the fake gives as data; what they
// mean is read by the same code the checker shows them with.

// --- Word back -------------------------------------------------------------------

// One value of the outcome of an attempt to apply settings: a text, or (text nullptr) a
// number.
struct OutcomeValue {
    const char* name;
    const wchar_t* text;
    uint32_t number;
};

// Records the values where a script can read them with an administrator's rights (on
// Windows HKLM\SOFTWARE\Pyxen\Guard\LastApply); values not given stay as they were.
void RecordSettingsOutcome(const OutcomeValue* values, int count);

// --- The event log --------------------------------------------------------------

// One entry per event, never one per sweep. The strings fill the entry's message in
// order (%1, %2, ...); the message itself, in the reader's language, comes from the
// message table in pyxen-guard.exe.
enum class GuardEvent {
    GuardStarted,      // no strings
    GuardStopped,      // no strings
    PyxenStarted,      // session, user
    PyxenRestarted,    // session, user, exit status of the one that ended
    PyxenHeldBack,     // session, user, exit status, seconds held back
    PyxenStartFailed,  // session, user, Windows error
    SettingsApplied,   // number of rules, the files they came from, sessions that took
                       // them, the source (policy or file)
    SettingsRefused,   // the files, the source: edited settings with no rule
    SessionLimit,      // session, user, the limit
    SwapFailed,        // session, user, exit status, seconds until it is tried again
    HoursBegan,        // the hours' source, the local time they end
    HoursEnded,        // the hours' source, the local time they begin again
    HoursApplied,      // source, number of ranges, time zone
    HoursRefused,      // source, line, why
    HoursFailClosed,   // source, line, why: refused with no hours in force
    HoursZoneChanged,  // source, the system's zone before, after, the zone the hours keep
    SettingsKept,      // the file not read, the files, the guard's folder: enforced as last accepted
    SettingsHeld,      // the files: one is held open by another program; read again later
    StoreFailed,       // the guard's folder, which could not be made or written
    SettingsUnreadable,  // the file not read, the files: edited settings refused
    SettingsKeptNoRule,  // the files, the guard's folder: no rule, enforced as last accepted
    SettingsPolicyRefused,  // the policy's key, the value, why, the source: none of it applied
    // A Pyxen on another desktop of the session: the session's events, the desktop third.
    DesktopPyxenStarted,      // session, user, desktop
    DesktopPyxenRestarted,    // session, user, desktop, exit status
    DesktopPyxenHeldBack,     // session, user, desktop, exit status, seconds held back
    DesktopPyxenStartFailed,  // session, user, desktop, Windows error
    DesktopSwapFailed,        // session, user, desktop, exit status, seconds until tried again
    DesktopRefused,           // session, user, desktop: no Pyxen can run on it
    InputSwitchedBack,        // session, user, desktop the input was taken back from
    WatchStartFailed,         // session, user, Windows error: pyxen-desktops.exe
    WatchHeldBack,            // session, user, exit status, seconds held back
    HoursBeganNoEnd,          // the hours' source: they began and nothing ends them
};

// The service is stopping and still ending Pyxens: the stop's progress is reported.
void ReportStopping();

void ReportGuardEvent(GuardEvent event, const wchar_t* const* strings, int count);
