// The guard's sessions and the Pyxen in each, on Windows. Each Pyxen is a SYSTEM process
// in the user's session with a cut-down token (TokenFor), in a job of its own that ends
// it when the guard's handle to the job closes, even if the guard itself dies.
#include "hours/ZoneLookup.h"
#include "guard/Guard.h"
#include "guard/GuardSystem.h"
#include "guard/SettingsStore.h"
#include "guard/win32/Win32Guard.h"

#include <wtsapi32.h>

namespace {

wchar_t folder[MAX_PATH];
HANDLE childEnded;

// All the guard holds for one Pyxen; a ChildId points at one. Each Pyxen has a job of its
// own: a job holds the processes of one session only, and one per child is freed with
// the child, so nothing is kept per session and no table fills up over weeks of logons.
struct Child {
    HANDLE process;
    HANDLE job;
    HANDLE wait;  // the thread pool's wait for its end, which sets childEnded
    ChildPipe* pipe;  // the desktop watch's reports, or NULL
};

Child* AsChild(ChildId child) { return reinterpret_cast<Child*>(child); }

HANDLE NewJob()
{
    HANDLE job = CreateJobObjectW(NULL, NULL);
    if (!job)
        return NULL;
    // It ends with the guard's handle to the job; it is the job's one process, so it can
    // start none of its own (each Pyxen of a swap has its own job); and a crash ends it
    // at once, with no error-reporting box on the user's desktop.
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits = {};
    limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE |
                                              JOB_OBJECT_LIMIT_ACTIVE_PROCESS |
                                              JOB_OBJECT_LIMIT_DIE_ON_UNHANDLED_EXCEPTION;
    limits.BasicLimitInformation.ActiveProcessLimit = 1;
    if (!SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                                 sizeof limits)) {
        CloseHandle(job);
        return NULL;
    }
    return job;
}

VOID CALLBACK OnChildEnded(PVOID, BOOLEAN)
{
    SetEvent(childEnded);
}

// Frees what the guard holds for a child whose process has ended or never ran. The wait
// goes first, and only once its callback is done, so that no callback runs on a handle
// closed under it.
void Free(Child* child)
{
    if (child->wait)
        UnregisterWaitEx(child->wait, INVALID_HANDLE_VALUE);
    if (child->job)
        CloseHandle(child->job);
    if (child->process)
        CloseHandle(child->process);
    if (child->pipe)
        FreeChildPipe(child->pipe);
    HeapFree(GetProcessHeap(), 0, child);
}

// The guard's own token, cut down to what a Pyxen needs, and moved into the session. It
// stays SYSTEM: a standard user gets no right to end it, and the PC's account reads a
// share. It keeps no privilege but SeChangeNotifyPrivilege, which every process has;
// Administrators is deny-only, so the group opens nothing for it; and it runs at High
// integrity, not System: High still reaches the windows of elevated programs, while a
// standard user's programs (Medium) still can't send it window messages.
HANDLE TokenFor(SessionId session, DWORD& error)
{
    SID_IDENTIFIER_AUTHORITY ntAuthority = SECURITY_NT_AUTHORITY;
    SID_IDENTIFIER_AUTHORITY labelAuthority = SECURITY_MANDATORY_LABEL_AUTHORITY;
    PSID administrators = NULL, high = NULL;
    HANDLE own = NULL, copy = NULL, restricted = NULL;
    DWORD sessionId = session;
    bool done =
        AllocateAndInitializeSid(&ntAuthority, 2, SECURITY_BUILTIN_DOMAIN_RID,
                                 DOMAIN_ALIAS_RID_ADMINS, 0, 0, 0, 0, 0, 0, &administrators) &&
        AllocateAndInitializeSid(&labelAuthority, 1, SECURITY_MANDATORY_HIGH_RID, 0, 0, 0, 0, 0,
                                 0, 0, &high) &&
        OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &own) &&
        DuplicateTokenEx(own, TOKEN_ALL_ACCESS, NULL, SecurityImpersonation, TokenPrimary,
                         &copy);
    if (done) {
        // A restricted token has the type of the one it is made from: primary.
        SID_AND_ATTRIBUTES denyOnly = {administrators, 0};
        done = CreateRestrictedToken(copy, DISABLE_MAX_PRIVILEGE, 1, &denyOnly, 0, NULL, 0,
                                     NULL, &restricted);
    }
    if (done) {
        TOKEN_MANDATORY_LABEL label = {};
        label.Label.Sid = high;
        label.Label.Attributes = SE_GROUP_INTEGRITY;
        done = SetTokenInformation(restricted, TokenIntegrityLevel, &label,
                                   static_cast<DWORD>(sizeof label + GetLengthSid(high))) &&
               SetTokenInformation(restricted, TokenSessionId, &sessionId, sizeof sessionId);
    }
    error = done ? 0 : GetLastError();
    if (own)
        CloseHandle(own);
    if (copy)
        CloseHandle(copy);
    if (administrators)
        FreeSid(administrators);
    if (high)
        FreeSid(high);
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

SessionState StateOf(WTS_CONNECTSTATE_CLASS state)
{
    switch (state) {
    case WTSActive:
        return SessionState::Active;
    case WTSConnected:
        return SessionState::Connected;
    case WTSDisconnected:
        return SessionState::Disconnected;
    default:
        return SessionState::Other;
    }
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

int64_t GuardUtcNow()
{
    return SystemUtcNow();
}

int ListSessions(SessionFact* sessions, int capacity)
{
    WTS_SESSION_INFOW* list = NULL;
    DWORD listed = 0;
    if (!WTSEnumerateSessionsW(WTS_CURRENT_SERVER_HANDLE, 0, 1, &list, &listed))
        return -1;
    int count = 0;
    for (DWORD i = 0; i < listed && count < capacity; ++i) {
        wchar_t user[2];
        SessionFact& fact = sessions[count++];
        fact.id = list[i].SessionId;
        fact.state = StateOf(list[i].State);
        fact.hasUserName = QueryText(list[i].SessionId, WTSUserName, user, 2);
    }
    WTSFreeMemory(list);
    return count;
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
    return StartPyxenOn(session, L"default", error);
}

ChildId StartPyxenOn(SessionId session, const wchar_t* desktop, unsigned long& error)
{
    // The guard's own folder once it holds settings: nothing there can be held by a user.
    wchar_t pyxenFolder[MAX_PATH];
    if (!MultiByteToWideChar(CP_ACP, 0, PyxenFolder(), -1, pyxenFolder, MAX_PATH))
        lstrcpynW(pyxenFolder, GuardFolder(), MAX_PATH);
    wchar_t program[MAX_PATH + 16];
    lstrcpynW(program, pyxenFolder, MAX_PATH);
    lstrcatW(program, L"\\pyxen.exe");
    return StartInSession(session, program, NULL, pyxenFolder, desktop, NULL, error);
}

ChildId StartInSession(SessionId session, const wchar_t* program, const wchar_t* arguments,
                       const wchar_t* folder, const wchar_t* desktop, ChildPipe* pipe,
                       unsigned long& error)
{
    DWORD failure = 0;
    HANDLE token = TokenFor(session, failure);
    if (!token) {
        error = failure;
        return 0;
    }
    wchar_t commandLine[2 * MAX_PATH + 16];
    lstrcpyW(commandLine, L"\"");
    lstrcatW(commandLine, program);
    lstrcatW(commandLine, L"\"");
    if (arguments) {
        lstrcatW(commandLine, L" ");
        lstrcatW(commandLine, arguments);
    }

    // The session's interactive window station, on the desktop named.
    wchar_t station[16 + 2 * MAX_PATH];
    lstrcpyW(station, L"winsta0\\");
    lstrcpynW(station + 8, desktop, 2 * MAX_PATH);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.lpDesktop = station;
    PROCESS_INFORMATION process = {};
    // Suspended until it is in its job, so that not even its first instruction runs
    // outside it.
    BOOL started = CreateProcessAsUserW(token, program, commandLine, NULL, NULL, FALSE,
                                        CREATE_SUSPENDED, NULL,
                                        folder, &startup, &process);
    error = started ? 0 : GetLastError();
    CloseHandle(token);
    if (!started)
        return 0;
    Child* child =
        static_cast<Child*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(Child)));
    bool held = child != NULL;
    if (held) {
        child->process = process.hProcess;
        child->pipe = pipe;
        child->job = NewJob();
        held = child->job && AssignProcessToJobObject(child->job, process.hProcess) &&
               RegisterWaitForSingleObject(&child->wait, process.hProcess, OnChildEnded,
                                           NULL, INFINITE,
                                           WT_EXECUTEONLYONCE | WT_EXECUTEINWAITTHREAD);
    }
    if (!held) {
        error = GetLastError();
        TerminateProcess(process.hProcess, 1);
        CloseHandle(process.hThread);
        if (child) {
            child->pipe = NULL;  // the caller's still
            Free(child);
        } else {
            CloseHandle(process.hProcess);
        }
        return 0;
    }
    ResumeThread(process.hThread);
    CloseHandle(process.hThread);
    return reinterpret_cast<ChildId>(child);
}

bool PyxenEnded(ChildId child, unsigned long& status)
{
    HANDLE process = AsChild(child)->process;
    DWORD code = 0;
    if (WaitForSingleObject(process, 0) != WAIT_OBJECT_0 || !GetExitCodeProcess(process, &code))
        return false;
    status = code;
    return true;
}

void EndPyxen(ChildId child, GuardTime waitMs)
{
    HANDLE process = AsChild(child)->process;
    // It keeps no state: ending it loses nothing.
    if (WaitForSingleObject(process, 0) == WAIT_TIMEOUT) {
        TerminateProcess(process, 1);
        WaitForSingleObject(process, static_cast<DWORD>(waitMs));
    }
    Free(AsChild(child));
}

ChildPipe* PipeOf(ChildId child)
{
    return AsChild(child)->pipe;
}

HANDLE ChildEndedEvent()
{
    if (!childEnded)
        childEnded = CreateEventW(NULL, FALSE, FALSE, NULL);
    return childEnded;
}
