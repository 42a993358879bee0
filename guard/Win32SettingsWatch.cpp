// The settings watch in the service loop: a change notification on the folder of
// pyxen.cfg tells of a save there at once; the watch's own deadlines bring the polls of
// the other files and the end of a quiet time.
#include "guard/Win32SettingsWatch.h"

#include "guard/Guard.h"
#include "guard/SettingsWatch.h"
#include "guard/Win32Guard.h"

namespace {

HANDLE notification = INVALID_HANDLE_VALUE;

HANDLE Handle()
{
    return notification == INVALID_HANDLE_VALUE ? NULL : notification;
}

GuardTime Deadline()
{
    // The watch's 0 is "at once", the loop's is "never".
    GuardTime next = NextSettingsCheck();
    return next == 0 ? GuardNow() : next;
}

void Wake(bool signalled)
{
    if (signalled) {
        SettingsFolderChanged();
        // A notification that can't be renewed is given up: the polls still find
        // every change, only later.
        if (!FindNextChangeNotification(notification)) {
            FindCloseChangeNotification(notification);
            notification = INVALID_HANDLE_VALUE;
        }
    }
    if (CheckSettings() == SettingsVerdict::Applied)
        GuardSwapAll();
}

const LoopWatch loopWatch = {Handle, Deadline, Wake};

}  // namespace

const LoopWatch* StartWin32SettingsWatch()
{
    // The full path names the file in the event log; the lists' paths stay as the
    // settings write them, relative to this same folder.
    char path[MAX_PATH];
    DWORD length = GetFullPathNameA("pyxen.cfg", MAX_PATH, path, NULL);
    StartSettingsWatch(length > 0 && length < MAX_PATH ? path : "pyxen.cfg");
    // A rename counts: editors often save to a new file and rename it over the old one.
    notification = FindFirstChangeNotificationW(
        GuardFolder(), FALSE,
        FILE_NOTIFY_CHANGE_FILE_NAME | FILE_NOTIFY_CHANGE_LAST_WRITE | FILE_NOTIFY_CHANGE_SIZE);
    return &loopWatch;
}
