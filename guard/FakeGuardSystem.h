#pragma once
// The guard's operations on an in-memory machine, for the native unit tests: sessions
// with user names, Pyxens that run until a test ends them (or that end at once, as a
// Pyxen with unreadable settings does), a clock that moves only when told, file stamps
// set per path, and a record of every event-log entry with its strings.
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
};

struct FakeEvent {
    GuardEvent event;
    std::vector<std::wstring> strings;
};

// Forgets every session, child, stamp and event; the clock goes back to 1000.
void FakeGuardReset();

void FakeAdvance(GuardTime ms);

// The sessions ListUserSessions gives (those with a user), and the console session,
// which has a user only while the list is empty, as on a system that keeps no sessions.
void FakeSetSessions(const std::vector<SessionId>& sessions);
void FakeSetConsoleSession(SessionId session);
void FakeSetUserName(SessionId session, const std::wstring& name);

// From now on a Pyxen started in the session takes ms to load its settings (0 at first),
// and sets its timer to interval ms (2000 at first) once it has: its first sweep comes
// that much after its start.
void FakeSetLoadTime(SessionId session, GuardTime ms);
void FakeSetInterval(GuardTime interval);

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

const std::vector<FakeEvent>& FakeEvents();
