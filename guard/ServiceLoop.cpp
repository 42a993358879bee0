#include "guard/ServiceLoop.h"

#include "guard/Guard.h"
#include "guard/Win32Guard.h"

#include <wtsapi32.h>

namespace {

HANDLE stopEvent;
HANDLE changeEvent;
CRITICAL_SECTION changeLock;

// Session changes wait here between the handler's thread and the loop's. More than fit
// in a burst are dropped; the loop then lists the sessions again.
struct SessionChange {
    DWORD type;
    SessionId session;
};
const int changeCapacity = 32;
SessionChange changes[changeCapacity];
int changeCount;
bool changesLost;

void TakeSessionChanges()
{
    SessionChange taken[changeCapacity];
    EnterCriticalSection(&changeLock);
    int count = changeCount;
    bool lost = changesLost;
    for (int i = 0; i < count; ++i)
        taken[i] = changes[i];
    changeCount = 0;
    changesLost = false;
    LeaveCriticalSection(&changeLock);

    for (int i = 0; i < count; ++i) {
        switch (taken[i].type) {
        case WTS_CONSOLE_CONNECT:
        case WTS_REMOTE_CONNECT:
        case WTS_SESSION_LOGON:
            GuardLogon(taken[i].session);
            break;
        case WTS_SESSION_LOGOFF:
            GuardLogoff(taken[i].session);
            break;
        }
    }
    if (lost) {
        SessionId sessions[guardMaxSessions];
        int listed = ListUserSessions(sessions, guardMaxSessions);
        for (int i = 0; i < listed; ++i)
            GuardLogon(sessions[i]);
    }
}

}  // namespace

void QueueSessionChange(DWORD type, SessionId session)
{
    EnterCriticalSection(&changeLock);
    if (changeCount < changeCapacity)
        changes[changeCount++] = SessionChange{type, session};
    else
        changesLost = true;
    LeaveCriticalSection(&changeLock);
    SetEvent(changeEvent);
}

void StopGuardLoop()
{
    SetEvent(stopEvent);
}

bool PrepareGuardLoop()
{
    InitializeCriticalSection(&changeLock);
    stopEvent = CreateEventW(NULL, TRUE, FALSE, NULL);
    changeEvent = CreateEventW(NULL, FALSE, FALSE, NULL);
    return stopEvent && changeEvent;
}

void RunGuardLoop(const LoopWatch* watch)
{
    GuardStart();
    for (;;) {
        // The stop comes first, so that it wins over everything else signalled.
        HANDLE handles[MAXIMUM_WAIT_OBJECTS];
        int count = 0;
        handles[count++] = stopEvent;
        handles[count++] = changeEvent;
        int watchedAt = watch ? count : -1;
        if (watch)
            handles[count++] = watch->handle;
        ChildId children[guardMaxSessions];
        int childCount = GuardChildren(children, guardMaxSessions);
        for (int i = 0; i < childCount; ++i)
            handles[count++] = ChildHandle(children[i]);

        GuardTime next = GuardNextWake();
        DWORD wait = next == 0 ? INFINITE : MillisecondsUntil(next);
        DWORD signalled = WaitForMultipleObjects(count, handles, FALSE, wait);
        if (signalled == WAIT_OBJECT_0)
            break;
        if (signalled == WAIT_FAILED)
            Sleep(1000);  // a handle closed under us: look again rather than spin
        if (signalled == WAIT_OBJECT_0 + 1)
            TakeSessionChanges();
        if (watchedAt >= 0 && signalled == WAIT_OBJECT_0 + watchedAt)
            watch->Wake();
        GuardPoll();
    }
    GuardStop();
}
