// pyxen-guard.exe: the service that keeps one Pyxen running in every user's session.
// The service control manager starts it; run any other way it ends at once.
#include "guard/win32/ServiceLoop.h"
#include "guard/SettingsStore.h"
#include "guard/win32/Win32SettingsWatch.h"
#include "guard/win32/Win32Guard.h"

namespace {

wchar_t serviceName[] = L"PyxenGuard";

SERVICE_STATUS_HANDLE statusHandle;
SERVICE_STATUS status;

// Ending one session's Pyxens takes a moment (each end is waited for, 5 s at most when a
// process is slow to go); every session ended renews this hint with a new checkpoint.
const DWORD stopWaitHintMs = 10000;

void ReportStatus(DWORD state, DWORD exitCode = NO_ERROR, DWORD waitHint = 0)
{
    status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
    status.dwCurrentState = state;
    status.dwWin32ExitCode = exitCode;
    status.dwWaitHint = waitHint;
    // Stop, session changes, and what moves the hours: a set clock and a resume.
    // User-defined codes (128 to 255) may be sent by every local user, so they do
    // nothing here.
    status.dwControlsAccepted =
        state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SESSIONCHANGE |
                                       SERVICE_ACCEPT_TIMECHANGE | SERVICE_ACCEPT_POWEREVENT
                                 : 0;
    status.dwCheckPoint = state == SERVICE_RUNNING || state == SERVICE_STOPPED
                              ? 0
                              : status.dwCheckPoint + 1;
    SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI OnControl(DWORD control, DWORD eventType, LPVOID eventData, LPVOID)
{
    switch (control) {
    case SERVICE_CONTROL_STOP:
        ReportStatus(SERVICE_STOP_PENDING, NO_ERROR, stopWaitHintMs);
        StopGuardLoop();
        return NO_ERROR;
    case SERVICE_CONTROL_INTERROGATE:
        return NO_ERROR;
    case SERVICE_CONTROL_SESSIONCHANGE:
        QueueSessionChange(eventType,
                           static_cast<WTSSESSION_NOTIFICATION*>(eventData)->dwSessionId);
        return NO_ERROR;
    case SERVICE_CONTROL_TIMECHANGE:
        WakeGuardLoop();
        return NO_ERROR;
    case SERVICE_CONTROL_POWEREVENT:
        // Sent at every resume, whether a user is there or not.
        if (eventType == PBT_APMRESUMEAUTOMATIC)
            WakeGuardLoop();
        return NO_ERROR;
    default:
        return ERROR_CALL_NOT_IMPLEMENTED;
    }
}

void WINAPI ServiceMain(DWORD, LPWSTR*)
{
    statusHandle = RegisterServiceCtrlHandlerExW(serviceName, OnControl, NULL);
    if (!statusHandle)
        return;
    ReportStatus(SERVICE_START_PENDING, NO_ERROR, 5000);
    // Before any Pyxen starts and before the watch looks: the store says where they run.
    char installFolder[MAX_PATH];
    DWORD length = GetFullPathNameA(".", MAX_PATH, installFolder, NULL);
    OpenSettingsStore(length > 0 && length < MAX_PATH ? installFolder : ".");
    if (!PrepareGuardLoop()) {
        ReportStatus(SERVICE_STOPPED, GetLastError());
        return;
    }
    ReportStatus(SERVICE_RUNNING);
    RunGuardLoop(StartWin32SettingsWatch());
    ReportStatus(SERVICE_STOPPED);
}

}  // namespace

void ReportStopping()
{
    ReportStatus(SERVICE_STOP_PENDING, NO_ERROR, stopWaitHintMs);
}

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    // READ lines name their lists relative to the current folder, so the guard reads them
    // from where pyxen.exe does.
    SetCurrentDirectoryW(GuardFolder());
    SERVICE_TABLE_ENTRYW services[] = {{serviceName, ServiceMain}, {NULL, NULL}};
    return StartServiceCtrlDispatcherW(services) ? 0 : 1;
}
