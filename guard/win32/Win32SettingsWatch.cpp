// The settings watch beside the service loop. Its own thread reads the stamps and the
// settings, since a share that is down can hold a file call for many seconds, and the
// loop must go on starting Pyxens meanwhile. A change notification on the folder of
// pyxen.cfg tells of a save there at once; the watch's deadlines bring the polls of the
// other files and the end of a quiet time. The registry tells of a change under
// HKLM\SOFTWARE\Policies, in either view, at once too. When edited settings apply, the
// thread wakes the loop, which swaps the Pyxens on its own thread.
#include "guard/win32/Win32SettingsWatch.h"

#include "config/Settings.h"
#include "guard/Guard.h"
#include "guard/SettingsOutcome.h"
#include "guard/SettingsStore.h"
#include "guard/SettingsWatch.h"
#include "guard/win32/Win32Guard.h"

namespace {

HANDLE notification = INVALID_HANDLE_VALUE;
HANDLE swapWanted;  // auto-reset: set by the watch's thread, taken by the loop

// The policies' keys in both views, each with its own event: a notification fires once
// per arming. Policy processing may delete and recreate the product's key, so the
// watch is on all policies.
struct PolicyWatch {
    HKEY key;
    HANDLE event;
};
PolicyWatch policyWatches[2];

bool Arm(PolicyWatch& watch)
{
    return watch.key && RegNotifyChangeKeyValue(watch.key, TRUE,
                                                REG_NOTIFY_CHANGE_NAME | REG_NOTIFY_CHANGE_LAST_SET,
                                                watch.event, TRUE) == ERROR_SUCCESS;
}

void OpenPolicyWatch(PolicyWatch& watch, REGSAM view)
{
    watch.event = CreateEventW(NULL, FALSE, FALSE, NULL);
    if (!watch.event || RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Policies", 0,
                                      KEY_NOTIFY | view, &watch.key) != ERROR_SUCCESS)
        watch.key = NULL;
    if (!Arm(watch) && watch.key) {
        RegCloseKey(watch.key);
        watch.key = NULL;
    }
}

// The settings last applied, as the watch's thread hands them to the loop's. The loop
// keeps its own copy until the next swap: its entry is written when the swap is done.
struct Applied {
    long interval;
    int rules;
    wchar_t files[settingsFilesSize];
    wchar_t source[96];
    const wchar_t* sourceWord;  // a constant of the settings watch
    StoreText text;
};
CRITICAL_SECTION appliedLock;
Applied handed;
Applied swapping;

void Copy(Applied& to, long interval, int rules, const wchar_t* files, const wchar_t* source,
          const wchar_t* sourceWord, const StoreText& text)
{
    to.interval = interval;
    to.rules = rules;
    lstrcpynW(to.files, files, settingsFilesSize);
    lstrcpynW(to.source, source, 96);
    to.sourceWord = sourceWord;
    to.text = text;
}

void Hand()
{
    EnterCriticalSection(&appliedLock);
    Copy(handed, interval, AppliedRules(), AppliedFiles(), AppliedSource(), AppliedSourceWord(),
         AcceptedText());
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
        HANDLE handles[3];
        PolicyWatch* watched[3] = {};
        DWORD count = 0;
        for (PolicyWatch& watch : policyWatches)
            if (watch.key) {
                watched[count] = &watch;
                handles[count++] = watch.event;
            }
        DWORD folderAt = count;
        if (notification != INVALID_HANDLE_VALUE)
            handles[count++] = notification;
        DWORD signalled = count ? WaitForMultipleObjects(count, handles, FALSE, wait) : WAIT_TIMEOUT;
        if (!count)
            Sleep(wait);
        if (signalled < WAIT_OBJECT_0 + folderAt) {
            SettingsPolicyChanged();
            // Unarmed, it stays quiet: the polls still find each change, only later.
            PolicyWatch& watch = *watched[signalled - WAIT_OBJECT_0];
            if (!Arm(watch)) {
                RegCloseKey(watch.key);
                watch.key = NULL;
            }
        } else if (signalled == WAIT_OBJECT_0 + folderAt && notification != INVALID_HANDLE_VALUE) {
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
    Copy(swapping, handed.interval, handed.rules, handed.files, handed.source, handed.sourceWord,
         handed.text);
    LeaveCriticalSection(&appliedLock);
    // Written on the loop's thread, which starts every Pyxen: none starts while the
    // store is half written.
    if (!WriteSettingsStore(swapping.text)) {
        wchar_t folder[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, PyxenFolder(), -1, folder, MAX_PATH);
        const wchar_t* strings[] = {folder};
        ReportGuardEvent(GuardEvent::StoreFailed, strings, 1);
        // Accepted, but no Pyxen takes them: the record must not say they apply.
        RecordRefused(swapping.sourceWord, swapping.files, L"the guard's folder could not be written");
        return;
    }
    GuardSwapAll({swapping.interval, swapping.rules, swapping.files, swapping.source});
}

LoopWatch loopWatch = {NULL, Wake};

}  // namespace

const LoopWatch* StartWin32SettingsWatch()
{
    // A rename counts: editors often save to a new file and rename it over the old one.
    notification = FindFirstChangeNotificationW(
        GuardFolder(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    OpenPolicyWatch(policyWatches[0], KEY_WOW64_64KEY);
    OpenPolicyWatch(policyWatches[1], KEY_WOW64_32KEY);
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
