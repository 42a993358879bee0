// The guard's sessions and the Pyxen in each, on Windows. Each Pyxen is a SYSTEM process
// in the user's session, with no privileges, in one job per session that ends it when
// the guard's handle to the job closes, even if the guard itself dies.
#include "guard/Guard.h"
#include "guard/GuardSystem.h"
#include "guard/Win32Guard.h"

#include <wtsapi32.h>

namespace {

wchar_t folder[MAX_PATH];

struct SessionJob {
    SessionId session;
    HANDLE job;
};

SessionJob jobs[guardMaxSessions];
int jobCount;

HANDLE NewJob()
{
    HANDLE job = CreateJobObjectW(NULL, NULL);
    if (!job)
        return NULL;
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        CloseHandle(job);
        return NULL;
    }
    return job;
}

// A job holds the processes of one session only: it takes the session of the first
// process put in it. A session id used again by a later logon keeps its job, unless the
// job refuses the new process, when the session gets a fresh one.
bool PutInJob(SessionId session, HANDLE process)
{
    SessionJob* entry = NULL;
    for (int i = 0; i < jobCount; ++i)
        if (jobs[i].session == session)
            entry = &jobs[i];
    if (!entry) {
        if (jobCount == guardMaxSessions)
            return false;
        entry = &jobs[jobCount++];
        *entry = SessionJob{session, NewJob()};
    }
    if (entry->job && AssignProcessToJobObject(entry->job, process))
        return true;
    // Closing the old job ends whatever is still in it: nothing of this session's
    // earlier logon should run on.
    if (entry->job)
        CloseHandle(entry->job);
    entry->job = NewJob();
    return entry->job && AssignProcessToJobObject(entry->job, process);
}

// The guard's own token, copied without any privilege and moved into the session:
// Pyxen runs as SYSTEM, beyond the user's reach, and can do nothing but what every
// process can.
HANDLE TokenFor(SessionId session, DWORD& error)
{
    HANDLE own = NULL, copy = NULL, restricted = NULL;
    DWORD sessionId = session;
    bool done = OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &own) &&
                DuplicateTokenEx(own, TOKEN_ALL_ACCESS, NULL, SecurityImpersonation,
                                 TokenPrimary, &copy) &&
                CreateRestrictedToken(copy, DISABLE_MAX_PRIVILEGE, 0, NULL, 0, NULL, 0, NULL,
                                      &restricted) &&
                SetTokenInformation(restricted, TokenSessionId, &sessionId, sizeof sessionId);
    error = done ? 0 : GetLastError();
    if (own)
        CloseHandle(own);
    if (copy)
        CloseHandle(copy);
    if (!done && restricted) {
        CloseHandle(restricted);
        restricted = NULL;
    }
    return restricted;
}

// The string a WTS query gives, copied into text; false when there is none.
bool QueryText(SessionId session, WTS_INFO_CLASS what, wchar_t* text, int size)
{
    wchar_t* value = NULL;
    DWORD bytes = 0;
    if (!WTSQuerySessionInformationW(WTS_CURRENT_SERVER_HANDLE, session, what, &value, &bytes))
        return false;
    bool found = value && value[0];
    if (found)
        lstrcpynW(text, value, size);
    WTSFreeMemory(value);
    return found;
}

}  // namespace

const wchar_t* GuardFolder()
{
    if (!folder[0]) {
        DWORD length = GetModuleFileNameW(NULL, folder, MAX_PATH);
        while (length > 0 && folder[length - 1] != L'\\')
            --length;
        folder[length > 0 ? length - 1 : 0] = L'\0';
    }
    return folder;
}

GuardTime GuardNow()
{
    return GetTickCount64();
}

int ListUserSessions(SessionId* sessions, int capacity)
{
    WTS_SESSION_INFOW* list = NULL;
    DWORD count = 0;
    if (!WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &list, &count))
        return 0;
    int found = 0;
    wchar_t user[2];
    for (DWORD i = 0; i < count && found < capacity; ++i) {
        bool inUse = list[i].State == WTSActive || list[i].State == WTSDisconnected;
        if (inUse && QueryText(list[i].SessionId, WTSUserName, user, 2))
            sessions[found++] = list[i].SessionId;
    }
    WTSFreeMemory(list);
    return found;
}

SessionId ActiveConsoleSession()
{
    DWORD session = WTSGetActiveConsoleSessionId();
    return session == 0xFFFFFFFF ? noSession : session;
}

void SessionUserName(SessionId session, wchar_t* name, int size)
{
    if (size <= 0)
        return;
    name[0] = L'\0';
    if (!QueryText(session, WTSUserName, name, size))
        return;
    wchar_t domain[64];
    wchar_t user[128];
    if (QueryText(session, WTSDomainName, domain, 64)) {
        lstrcpynW(user, name, 128);
        lstrcpynW(name, domain, size);
        int length = lstrlenW(name);
        if (length + 1 < size) {
            name[length] = L'\\';
            lstrcpynW(name + length + 1, user, size - length - 1);
        }
    }
}

ChildId StartPyxen(SessionId session, unsigned long& error)
{
    DWORD failure = 0;
    HANDLE token = TokenFor(session, failure);
    if (!token) {
        error = failure;
        return 0;
    }
    wchar_t program[MAX_PATH + 16];
    wchar_t commandLine[MAX_PATH + 16];
    lstrcpynW(program, GuardFolder(), MAX_PATH);
    lstrcatW(program, L"\\pyxen.exe");
    lstrcpyW(commandLine, L"\"");
    lstrcatW(commandLine, program);
    lstrcatW(commandLine, L"\"");

    wchar_t desktop[] = L"winsta0\\default";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = desktop;
    PROCESS_INFORMATION process = {};
    // Suspended until it is in its job, so that not even its first instruction runs
    // outside it.
    BOOL started = CreateProcessAsUserW(token, program, commandLine, NULL, NULL, FALSE,
                                        CREATE_SUSPENDED, NULL,
                                        GuardFolder(), &startup, &process);
    error = started ? 0 : GetLastError();
    CloseHandle(token);
    if (!started)
        return 0;
    if (!PutInJob(session, process.hProcess)) {
        error = GetLastError();
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        return 0;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return reinterpret_cast<ChildId>(process.hProcess);
}

bool WaitPyxenReady(ChildId child, unsigned long ms)
{
    HANDLE process = ChildHandle(child);
    return WaitForInputIdle(process, ms) == 0 &&
           WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
}

bool PyxenEnded(ChildId child, unsigned long& status)
{
    HANDLE process = ChildHandle(child);
    DWORD code = 0;
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code))
        return false;
    status = code;
    return true;
}

void EndPyxen(ChildId child)
{
    HANDLE process = ChildHandle(child);
    // It keeps no state: ending it loses nothing. Waiting for the end means a Pyxen
    // that replaces it never sends requests beside it.
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, 5000);
    }
    CloseHandle(process);
}
