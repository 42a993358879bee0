#include "guard/win32/ServiceLoop.h"

#include "guard/Guard.h"
#include "guard/GuardPass.h"
#include "guard/win32/Win32Guard.h"

#include <wtsapi32.h>

namespace {

HANDLE stopEvent;
HANDLE changeEvent;
CRITICAL_SECTION changeLock;

// Session changes wait here between the handler's thread and the loop's. More than fit
// in a burst are dropped; the loop then lists the sessions again.
const int changeCapacity = 32;
SessionChange changes[changeCapacity];
int changeCount;
bool changesLost;
// Set by the handler's thread when the clock was set or the PC resumed.
LONG volatile clockChanged;

// Takes the changes the handler's thread queued, as logons and logoffs, into wake.
void TakeSessionChanges(SessionChange* taken, GuardWake& wake)
{
    EnterCriticalSection(&changeLock);
    wake.changeCount = changeCount;
    wake.changesLost = changesLost;
    for (int i = 0; i < changeCount; ++i)
        taken[i] = changes[i];
    changeCount = 0;
    changesLost = false;
    LeaveCriticalSection(&changeLock);
    wake.changes = taken;
}

// Signals event at the next change of a value or subkey anywhere under key.
bool ArmPolicyWatch(HKEY key, HANDLE event)
{
    return RegNotifyChangeKeyValue(key, TRUE, REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                   event, TRUE) == ERROR_SUCCESS;
}

}  // namespace

void QueueSessionChange(DWORD type, SessionId session)
{
    SessionChangeKind kind;
    switch (type) {
    case WTS_CONSOLE_CONNECT:
    case WTS_REMOTE_CONNECT:
    case WTS_SESSION_LOGON:
        kind = SessionChangeKind::Logon;
        break;
    case WTS_SESSION_LOGOFF:
    case WTS_SESSION_TERMINATE:
        kind = SessionChangeKind::Logoff;
        break;
    default:
        return;
    }
    EnterCriticalSection(&changeLock);
    if (changeCount < changeCapacity)
        changes[changeCount++] = SessionChange{kind, session};
    else
        changesLost = true;
    LeaveCriticalSection(&changeLock);
    SetEvent(changeEvent);
}

void WakeGuardLoop()
{
    InterlockedExchange(&clockChanged, 1);
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
    HoldDesktopWatch();
    return stopEvent && changeEvent && ChildEndedEvent();
}

void RunGuardLoop(const LoopWatch* watch)
{
    // The full path names the file in the event log.
    char path[MAX_PATH];
    DWORD length = GetFullPathNameA("hours.cfg", MAX_PATH, path, NULL);
    GuardTime next = GuardBegin(length > 0 && length < MAX_PATH ? path : "hours.cfg");
    // A save of hours.cfg is seen at once; without the notification, at the next poll.
    HANDLE folder = FindFirstChangeNotificationW(
        GuardFolder(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    // Policy processing may delete and recreate the product's key, so the watch is on
    // all policies, in both views, since an MDM may write the 32-bit one; each fires
    // once per arming.
    const REGSAM views[2] = {KEY_WOW64_64KEY, KEY_WOW64_32KEY};
    HKEY policies[2] = {NULL, NULL};
    HANDLE policyEvents[2] = {NULL, NULL};
    bool policyWatched[2] = {false, false};
    for (int view = 0; view < 2; ++view) {
        policyEvents[view] = CreateEventW(NULL, FALSE, FALSE, NULL);
        if (policyEvents[view] &&
            RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies", 0, KEY_NOTIFY | views[view],
                          &policies[view]) != ERROR_SUCCESS)
            policies[view] = NULL;
        policyWatched[view] = policies[view] && ArmPolicyWatch(policies[view], policyEvents[view]);
    }
    // Each child's end is waited for by the thread pool, which sets one event (see
    // StartPyxen): the loop itself waits on a few handles, however many sessions there
    // are. The stop comes first, so that it wins over everything else signalled.
    HANDLE handles[7] = {stopEvent, changeEvent, ChildEndedEvent(), NULL, NULL, NULL, NULL};
    DWORD count = 3;
    DWORD watchAt = 0;
    DWORD folderAt = 0;
    if (watch) {
        watchAt = count;
        handles[count++] = watch->handle;
    }
    DWORD policyAt[2] = {0, 0};
    for (int view = 0; view < 2; ++view)
        if (policyWatched[view]) {
            policyAt[view] = count;
            handles[count++] = policyEvents[view];
        }
    // Last, so that giving it up leaves the others where they are.
    if (folder != INVALID_HANDLE_VALUE) {
        folderAt = count;
        handles[count++] = folder;
    }
    for (;;) {
        DWORD signalled = WaitForMultipleObjects(count, handles, FALSE, MillisecondsUntil(next));
        if (signalled == WAIT_OBJECT_0)
            break;
        if (signalled == WAIT_FAILED)
            Sleep(1000);  // a handle closed under us: look again rather than spin
        GuardWake wake;
        SessionChange taken[changeCapacity];
        if (signalled == WAIT_OBJECT_0 + 1) {
            wake.clockChanged = InterlockedExchange(&clockChanged, 0) != 0;
            TakeSessionChanges(taken, wake);
        }
        if (watchAt && signalled == WAIT_OBJECT_0 + watchAt)
            wake.settingsApplied = watch->Wake;
        for (int view = 0; view < 2; ++view)
            if (policyAt[view] && signalled == WAIT_OBJECT_0 + policyAt[view]) {
                wake.policyChanged = true;
                // Unarmed, it stays quiet: the polls still find each change, only later.
                ArmPolicyWatch(policies[view], policyEvents[view]);
            }
        if (folderAt && signalled == WAIT_OBJECT_0 + folderAt) {
            wake.folderChanged = true;
            if (!FindNextChangeNotification(folder)) {
                // Given up: the polls still find each edit, only later.
                FindCloseChangeNotification(folder);
                count = folderAt;
                folderAt = 0;
            }
        }
        next = GuardPass(wake);
    }
    GuardStop();
}
