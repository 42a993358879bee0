#include "guard/GuardSystem.h"

#include <windows.h>

#include "GuardMessages.h"

#include <wchar.h>

namespace {

struct EventEntry {
    DWORD id;  // the message in GuardMessages.mc, severity bits included
    WORD type;
    int windowsError;  // the string that is a Windows error's number, or -1
};

// In GuardEvent's order. The type must agree with the message's severity: Event Viewer
// shows the type, the message table gives the text.
const EventEntry entries[] = {
    {MSG_GUARD_STARTED, EVENTLOG_INFORMATION_TYPE, -1},
    {MSG_GUARD_STOPPED, EVENTLOG_INFORMATION_TYPE, -1},
    {MSG_PYXEN_STARTED, EVENTLOG_INFORMATION_TYPE, -1},
    {MSG_PYXEN_RESTARTED, EVENTLOG_INFORMATION_TYPE, -1},
    {MSG_PYXEN_HELD_BACK, EVENTLOG_WARNING_TYPE, -1},
    {MSG_PYXEN_START_FAILED, EVENTLOG_ERROR_TYPE, 2},
    {MSG_SETTINGS_APPLIED, EVENTLOG_INFORMATION_TYPE, -1},
    {MSG_SETTINGS_REFUSED, EVENTLOG_WARNING_TYPE, -1},
    {MSG_SESSION_LIMIT, EVENTLOG_WARNING_TYPE, -1},
    {MSG_SWAP_FAILED, EVENTLOG_WARNING_TYPE, -1},
    {MSG_HOURS_BEGAN, EVENTLOG_INFORMATION_TYPE, -1},
    {MSG_HOURS_ENDED, EVENTLOG_INFORMATION_TYPE, -1},
    {MSG_HOURS_APPLIED, EVENTLOG_INFORMATION_TYPE, -1},
    {MSG_HOURS_REFUSED, EVENTLOG_WARNING_TYPE, -1},
    {MSG_HOURS_FAIL_CLOSED, EVENTLOG_ERROR_TYPE, -1},
    {MSG_HOURS_ZONE_CHANGED, EVENTLOG_WARNING_TYPE, -1},
    {MSG_SETTINGS_KEPT, EVENTLOG_WARNING_TYPE, -1},
    {MSG_SETTINGS_HELD, EVENTLOG_WARNING_TYPE, -1},
    {MSG_STORE_FAILED, EVENTLOG_ERROR_TYPE, -1},
    {MSG_SETTINGS_UNREADABLE, EVENTLOG_WARNING_TYPE, -1},
    {MSG_SETTINGS_KEPT_NO_RULE, EVENTLOG_WARNING_TYPE, -1},
    {MSG_SETTINGS_POLICY_REFUSED, EVENTLOG_WARNING_TYPE, -1},
    {MSG_DESKTOP_PYXEN_STARTED, EVENTLOG_INFORMATION_TYPE, -1},
    {MSG_DESKTOP_PYXEN_RESTARTED, EVENTLOG_INFORMATION_TYPE, -1},
    {MSG_DESKTOP_PYXEN_HELD_BACK, EVENTLOG_WARNING_TYPE, -1},
    {MSG_DESKTOP_PYXEN_START_FAILED, EVENTLOG_ERROR_TYPE, 3},
    {MSG_DESKTOP_SWAP_FAILED, EVENTLOG_WARNING_TYPE, -1},
    {MSG_DESKTOP_REFUSED, EVENTLOG_WARNING_TYPE, -1},
    {MSG_INPUT_SWITCHED_BACK, EVENTLOG_WARNING_TYPE, -1},
    {MSG_WATCH_START_FAILED, EVENTLOG_ERROR_TYPE, 2},
    {MSG_WATCH_HELD_BACK, EVENTLOG_WARNING_TYPE, -1},
    {MSG_HOURS_BEGAN_NO_END, EVENTLOG_INFORMATION_TYPE, -1},
};

// Opened at the first entry and kept for the life of the service; Windows closes it
// with the process. The loop and the settings watch report from their own threads.
HANDLE volatile eventSource;

}  // namespace

void ReportGuardEvent(GuardEvent event, const wchar_t* const* strings, int count)
{
    unsigned index = static_cast<unsigned>(event);
    if (index >= sizeof entries / sizeof entries[0])
        return;
    if (!eventSource) {
        HANDLE source = RegisterEventSourceW(NULL, L"Pyxen");
        if (source && InterlockedCompareExchangePointer(&eventSource, source, NULL) != NULL)
            DeregisterEventSource(source);
    }
    // Without the log the guard still guards: an entry that can't be written is lost.
    if (!eventSource)
        return;
    // A Windows error goes with the system's own text for it: a number alone means
    // nothing to whoever reads the log.
    const wchar_t* withText[8];
    wchar_t error[300];
    int at = entries[index].windowsError;
    if (at >= 0 && at < count && count <= 8) {
        for (int i = 0; i < count; ++i)
            withText[i] = strings[i];
        DWORD code = wcstoul(strings[at], NULL, 10);
        int length = wsprintfW(error, L"%lu (", code);
        DWORD written = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                       NULL, code, 0, error + length,
                                       static_cast<DWORD>(300 - length - 2), NULL);
        // Without the line end the system's texts carry.
        while (written > 0 && (error[length + written - 1] == L'\n' ||
                               error[length + written - 1] == L'\r' ||
                               error[length + written - 1] == L' ' ||
                               error[length + written - 1] == L'.'))
            --written;
        if (written > 0) {
            lstrcpyW(error + length + written, L")");
            withText[at] = error;
            strings = withText;
        }
    }
    ReportEventW(eventSource, entries[index].type, 0, entries[index].id, NULL,
                 static_cast<WORD>(count), 0, const_cast<const wchar_t**>(strings), NULL);
}
