// The settings watch beside the service loop. Its own thread reads the stamps and the
// settings, since a share that is down can hold a file call for many seconds, and the
// loop must go on starting Pyxens meanwhile. A change notification on the folder of
// pyxen.cfg tells of a save there at once; the watch's deadlines bring the polls of the
// other files and the end of a quiet time. When edited settings apply, the thread wakes
// the loop, which swaps the Pyxens on its own thread.
#include "guard/win32/Win32SettingsWatch.h"

#include "config/Settings.h"
#include "guard/Guard.h"
#include "guard/SettingsStore.h"
#include "guard/SettingsWatch.h"
#include "guard/win32/Win32Guard.h"

namespace {

HANDLE notification = INVALID_HANDLE_VALUE;
HANDLE swapWanted;  // auto-reset: set by the watch's thread, taken by the loop

// The settings last applied, as the watch's thread hands them to the loop's. The loop
// keeps its own copy until the next swap: its entry is written when the swap is done.
struct Applied {
    long interval;
    int rules;
    wchar_t files[settingsFilesSize];
    StoreText text;
};
CRITICAL_SECTION appliedLock;
Applied handed;
Applied swapping;

void Copy(Applied& to, long interval, int rules, const wchar_t* files, const StoreText& text)
{
    to.interval = interval;
    to.rules = rules;
    lstrcpynW(to.files, files, settingsFilesSize);
    to.text = text;
}

void Hand()
{
    EnterCriticalSection(&appliedLock);
    Copy(handed, interval, AppliedRules(), AppliedFiles(), AcceptedText());
    LeaveCriticalSection(&appliedLock);
    SetEvent(swapWanted);
}

DWORD WINAPI WatchThread(LPVOID)
{
    // The full path names the file in the event log; the lists' paths stay as the
    // settings write them, relative to this same folder.
    char path[MAX_PATH];
    DWORD length = GetFullPathNameA("pyxen.cfg", MAX_PATH, path, NULL);
    // Settings edited while the guard was stopped go to the store as an edit does.
    if (StartSettingsWatch(length > 0 && length < MAX_PATH ? path : "pyxen.cfg") ==
        SettingsVerdict::Applied)
        Hand();
    for (;;) {
        DWORD wait = MillisecondsUntil(NextSettingsCheck());
        if (notification == INVALID_HANDLE_VALUE) {
            Sleep(wait);
        } else if (WaitForSingleObject(notification, wait) == WAIT_OBJECT_0) {
            SettingsFolderChanged();
            // A notification that can't be renewed is given up: the polls still find
            // every change, only later.
            if (!FindNextChangeNotification(notification)) {
                FindCloseChangeNotification(notification);
                notification = INVALID_HANDLE_VALUE;
            }
        }
        if (CheckSettings() == SettingsVerdict::Applied)
            Hand();
    }
}

void Wake()
{
    EnterCriticalSection(&appliedLock);
    Copy(swapping, handed.interval, handed.rules, handed.files, handed.text);
    LeaveCriticalSection(&appliedLock);
    // Written on the loop's thread, which starts every Pyxen: none starts while the
    // store is half written.
    if (!WriteSettingsStore(swapping.text)) {
        wchar_t folder[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, PyxenFolder(), -1, folder, MAX_PATH);
        const wchar_t* strings[] = {folder};
        ReportGuardEvent(GuardEvent::StoreFailed, strings, 1);
        return;
    }
    GuardSwapAll({swapping.interval, swapping.rules, swapping.files});
}

LoopWatch loopWatch = {NULL, Wake};

}  // namespace

const LoopWatch* StartWin32SettingsWatch()
{
    // A rename counts: editors often save to a new file and rename it over the old one.
    notification = FindFirstChangeNotificationW(
        GuardFolder(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    swapWanted = CreateEventW(NULL, FALSE, FALSE, NULL);
    InitializeCriticalSection(&appliedLock);
    // Without its thread the guard still guards, with the settings of each Pyxen's start.
    if (!swapWanted)
        return NULL;
    HANDLE thread = CreateThread(NULL, 0, WatchThread, NULL, 0, NULL);
    if (!thread)
        return NULL;
    CloseHandle(thread);
    loopWatch.handle = swapWanted;
    return &loopWatch;
}
