#include "guard/GuardSystem.h"

#include <windows.h>

#include "GuardMessages.h"

namespace {

struct EventEntry {
    DWORD id;  // the message in GuardMessages.mc, severity bits included
    WORD type;
};

// In GuardEvent's order. The type must agree with the message's severity: Event Viewer
// shows the type, the message table gives the text.
const EventEntry entries[] = {
    {MSG_GUARD_STARTED, EVENTLOG_INFORMATION_TYPE},
    {MSG_GUARD_STOPPED, EVENTLOG_INFORMATION_TYPE},
    {MSG_PYXEN_STARTED, EVENTLOG_INFORMATION_TYPE},
    {MSG_PYXEN_RESTARTED, EVENTLOG_INFORMATION_TYPE},
    {MSG_PYXEN_HELD_BACK, EVENTLOG_WARNING_TYPE},
    {MSG_PYXEN_START_FAILED, EVENTLOG_ERROR_TYPE},
    {MSG_SETTINGS_APPLIED, EVENTLOG_INFORMATION_TYPE},
    {MSG_SETTINGS_REFUSED, EVENTLOG_WARNING_TYPE},
    {MSG_SESSION_LIMIT, EVENTLOG_WARNING_TYPE},
    {MSG_SWAP_FAILED, EVENTLOG_WARNING_TYPE},
    {MSG_HOURS_BEGAN, EVENTLOG_INFORMATION_TYPE},
    {MSG_HOURS_ENDED, EVENTLOG_INFORMATION_TYPE},
    {MSG_HOURS_APPLIED, EVENTLOG_INFORMATION_TYPE},
    {MSG_HOURS_REFUSED, EVENTLOG_WARNING_TYPE},
    {MSG_HOURS_FAIL_CLOSED, EVENTLOG_ERROR_TYPE},
    {MSG_HOURS_ZONE_CHANGED, EVENTLOG_WARNING_TYPE},
    {MSG_SETTINGS_KEPT, EVENTLOG_WARNING_TYPE},
    {MSG_SETTINGS_HELD, EVENTLOG_WARNING_TYPE},
    {MSG_STORE_FAILED, EVENTLOG_ERROR_TYPE},
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
    ReportEventW(eventSource, entries[index].type, 0, entries[index].id, NULL,
                 static_cast<WORD>(count), 0, const_cast<const wchar_t**>(strings), NULL);
}
