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
        case WTS_SESSION_TERMINATE:
            GuardLogoff(taken[i].session);
            break;
        }
    }
    if (lost)
        GuardReconcile();
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
    return stopEvent && changeEvent && ChildEndedEvent();
}

void RunGuardLoop(const LoopWatch* watch)
{
    GuardStart();
    // Each child's end is waited for by the thread pool, which sets one event (see
    // StartPyxen): the loop itself waits on four handles, however many sessions there are.
    // The stop comes first, so that it wins over everything else signalled.
    HANDLE handles[4] = {stopEvent, changeEvent, ChildEndedEvent(), NULL};
    DWORD count = 3;
    if (watch)
        handles[count++] = watch->handle;
    for (;;) {
        GuardTime next = GuardNextWake();
        DWORD wait = next == 0 ? INFINITE : MillisecondsUntil(next);
        DWORD signalled = WaitForMultipleObjects(count, handles, FALSE, wait);
        if (signalled == WAIT_OBJECT_0)
            break;
        if (signalled == WAIT_FAILED)
            Sleep(1000);  // a handle closed under us: look again rather than spin
        if (signalled == WAIT_OBJECT_0 + 1)
            TakeSessionChanges();
        if (watch && signalled == WAIT_OBJECT_0 + 3)
            watch->Wake();
        GuardPoll();
    }
    GuardStop();
}
