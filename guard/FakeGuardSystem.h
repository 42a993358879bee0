#pragma once
// The guard's operations on an in-memory machine, for the native unit tests: sessions
// with user names, Pyxens that run until a test ends them (or that end at once, as a
// Pyxen with unreadable settings does), a clock that moves only when told, file stamps
// set per path, and a record of every event-log entry with its strings.
#include "hours/HoursPolicy.h"
#include "hours/ZoneRules.h"
#include "guard/GuardSystem.h"

#include <map>
#include <string>
#include <vector>

struct FakeChild {
    ChildId id;
    SessionId session;
    GuardTime started;
    bool running;
    GuardTime firstSweep;  // its start, load time and interval later
    bool endedByGuard;     // EndPyxen, not the child's own end
    GuardTime ended;
    unsigned long status;  // exit status once ended
    long startStep;        // the order of starts and ends, on one count
    long endStep;
    bool freed;            // EndPyxen freed its handle, job and wait
    GuardTime endWait;     // how long EndPyxen waited for its end, at most
    GuardTime endsAt;      // ended from outside, it is gone then (0: not yet asked)
    std::wstring desktop = L"Default";  // the desktop it runs on; a watch's is its session's
};

struct FakeEvent {
    GuardEvent event;
    std::vector<std::wstring> strings;
};

// Forgets every session, child, stamp, zone, policy and event; the clock goes back to
// 1000, the wall clock to Monday 2026-12-07 00:00 UTC, the system's zone to UTC.
void FakeGuardReset();

void FakeAdvance(GuardTime ms);

// The wall clock is set (UTC seconds since 1601); it goes on with FakeAdvance.
void FakeSetUtc(int64_t utc);

// The registry's zones by key name, and the one the system is set to ("" for UTC).
void FakeSetZone(const std::string& name, const ZoneRules& zone);
void FakeSetSystemZone(const std::string& name);

// The registry's HKLM as data: text values (given in UTF-8, held as UTF-16) and numbers
// by view, key (as ReadRegistryKey names it) and name, in the order written. Deleting a
// key deletes its values, not its subkeys, which are keys of their own here.
void FakeSetRegistryText(RegistryView view, const std::string& key, const std::string& name,
                         const std::string& text);
void FakeSetRegistryNumber(RegistryView view, const std::string& key, const std::string& name,
                           uint32_t number);
void FakeDeleteRegistryKey(RegistryView view, const std::string& key);

// The hours' policy as the template writes it in the 64-bit view: nothing for
// NotConfigured, EnforcementHours 0 for Always, and for Lines (or Refused) 1, the lines
// as values 1, 2, ... of Hours, and HoursZone.
void FakeSetPolicy(PolicyHours kind, const std::vector<std::string>& lines = {},
                   const std::string& zone = "");

// The outcome recorded last of each value, numbers in decimal.
const std::map<std::string, std::wstring>& FakeOutcome();

// The sessions Windows lists: FakeSetSessions lists each as active with a user, and
// FakeSetSessionFacts as given. The console session is the one ActiveConsoleSession
// names.
void FakeSetSessions(const std::vector<SessionId>& sessions);
void FakeSetSessionFacts(const std::vector<SessionFact>& sessions);
void FakeSetConsoleSession(SessionId session);

// From now on the session list can't be had (true), as when the enumeration fails.
void FakeFailSessionList(bool fails);
void FakeSetUserName(SessionId session, const std::wstring& name);

// From now on a Pyxen started in the session takes ms to load its settings (0 at first),
// and sets its timer to interval ms (2000 at first) once it has: its first sweep comes
// that much after its start.
void FakeSetLoadTime(SessionId session, GuardTime ms);
void FakeSetInterval(GuardTime interval);

// From now on a Pyxen of the session takes ms to end once ended from outside (0 at
// first): EndPyxen waits for it, as long as it is told to, on the guard's clock.
void FakeSetEndTime(SessionId session, GuardTime ms);

// From now on each StartPyxen takes this long on the guard's clock (0 at first).
void FakeSetStartTime(GuardTime ms);

// The longest time two Pyxens of one session were both sweeping (from each one's first
// sweep until its end, or until now), over every session so far; 0 when never.
GuardTime FakeLongestOverlap();

// How often the guard reported the progress of a stop (ReportStopping).
int FakeStoppingReports();

// From now on StartPyxen in the session fails with this Windows error (0: succeeds).
void FakeFailStarts(SessionId session, unsigned long error);

// From now on a Pyxen started in the session ends at once with this status, before it
// gets ready (true), or runs normally (false).
void FakeEndAtStart(SessionId session, bool endAtStart, unsigned long status = 0);

// The child ends by itself or from outside (killed, or its window sent WM_CLOSE).
void FakeEndChild(ChildId child, unsigned long status);

// Every child started so far, in the order started; FakeChildOf gives the last started
// of those running in a session (0 when none), FakeRunningIn how many run there.
const std::vector<FakeChild>& FakeChildren();
const FakeChild* FakeFindChild(ChildId child);
ChildId FakeChildOf(SessionId session);
int FakeRunningIn(SessionId session);

// Children whose handle, job and wait the guard still holds (not yet given to EndPyxen).
int FakeHeldChildren();

void FakeSetStamp(const std::string& path, FileStamp stamp);

// From now on another program holds the file open without sharing it (true), or not:
// FileIsHeld says so, and a test's file opener refuses it (FakeFileHeld).
void FakeHoldFile(const std::string& path, bool hold);
bool FakeFileHeld(const std::string& path);

const std::vector<FakeEvent>& FakeEvents();

// The desktop watches (StartDesktopWatch), kept apart from the Pyxens: FakeChildren and
// the counts above are Pyxens only. FakeEndChild ends a watch too.
const std::vector<FakeChild>& FakeWatches();
ChildId FakeWatchOf(SessionId session);  // the running one, or 0
int FakeHeldWatches();

// The session's running watch writes this report (desktops/DesktopReport.h); ReadDesktopReport
// gives the reports in the order written. False when no watch runs there.
bool FakeWriteReport(SessionId session, const std::string& report);

// Pyxens running on the session's desktop ("Default" for the session's own).
int FakeRunningOn(SessionId session, const std::wstring& desktop);

// From now on StartDesktopWatch in the session fails with this Windows error (0: succeeds).
void FakeFailWatchStarts(SessionId session, unsigned long error);
