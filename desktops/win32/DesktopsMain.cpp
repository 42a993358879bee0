// pyxen-desktops.exe: the guard's desktop watch in one user's session. The guard starts it
// there as it starts a Pyxen (SYSTEM, a job of its own, on WinSta0\Default) with the name
// of a pipe; about once a second it looks at every desktop of its window station and,
// when something changed, writes a report to the pipe (desktops/DesktopWatch.h). It ends
// when the pipe breaks: the guard has gone, or let it go. It makes no window.
#include "desktops/DesktopReport.h"
#include "desktops/DesktopWatch.h"
#include "host/HostClass.h"

#include <windows.h>

#include <aclapi.h>

namespace {

// A new desktop gets its Pyxen about this long after its first window at most, plus the
// guard's start of it.
const DWORD lookEveryMs = 1000;

// Reading a desktop's windows and owner. OpenInputDesktop wants DESKTOP_READOBJECTS and
// DESKTOP_WRITEOBJECTS asked for with READ_CONTROL, so every desktop is opened so; what
// is needed to change it, or to be on it, is not asked for.
const ACCESS_MASK readAccess =
    READ_CONTROL | DESKTOP_READOBJECTS | DESKTOP_WRITEOBJECTS | DESKTOP_ENUMERATE;

// More windows than this on one desktop: it is in use, whoever owns them.
const int windowCapacity = 512;

DesktopFacts desktops[desktopLookCapacity];
int desktopCount;
DesktopWindow windows[windowCapacity];
int windowCount;
bool windowsCut;
BYTE ownUser[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];

// The token's user, into user (SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER) bytes).
bool ReadTokenUser(HANDLE process, BYTE* user)
{
    HANDLE token = NULL;
    DWORD size = 0;
    bool read = OpenProcessToken(process, TOKEN_QUERY, &token) &&
                GetTokenInformation(token, TokenUser, user,
                                    SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER), &size);
    if (token)
        CloseHandle(token);
    return read;
}

bool SameAccount(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return false;
    BYTE user[SECURITY_MAX_SID_SIZE + sizeof(TOKEN_USER)];
    bool same = ReadTokenUser(process, user) &&
                EqualSid(reinterpret_cast<TOKEN_USER*>(user)->User.Sid,
                         reinterpret_cast<TOKEN_USER*>(ownUser)->User.Sid);
    CloseHandle(process);
    return same;
}

BOOL CALLBACK OnWindow(HWND window, LPARAM)
{
    if (windowCount == windowCapacity) {
        windowsCut = true;
        return FALSE;
    }
    DWORD processId = 0;
    GetWindowThreadProcessId(window, &processId);
    char className[64];
    bool host = GetClassNameA(window, className, sizeof className) > 0 &&
                lstrcmpiA(className, hostClassName) == 0;
    windows[windowCount++] = DesktopWindow{processId, host, host && SameAccount(processId)};
    return TRUE;
}

bool InUse(HDESK desktop)
{
    windowCount = 0;
    windowsCut = false;
    EnumDesktopWindows(desktop, OnWindow, 0);
    return windowsCut || DesktopInUse(windows, windowCount);
}

// Windows' own desktops (Winlogon, Disconnect, a secure screen saver's) are made by
// Winlogon, which runs as SYSTEM; an object's owner is its maker's, and a user can't
// make SYSTEM the owner of one.
bool SystemOwned(HANDLE object)
{
    PSID owner = NULL;
    PSECURITY_DESCRIPTOR descriptor = NULL;
    bool system = GetSecurityInfo(object, SE_WINDOW_OBJECT, OWNER_SECURITY_INFORMATION, &owner,
                                  NULL, NULL, NULL, &descriptor) == ERROR_SUCCESS &&
                  owner && IsWellKnownSid(owner, WinLocalSystemSid);
    if (descriptor)
        LocalFree(descriptor);
    return system;
}

BOOL CALLBACK OnDesktop(LPWSTR name, LPARAM)
{
    if (desktopCount == desktopLookCapacity)
        return FALSE;
    DesktopFacts& facts = desktops[desktopCount];
    facts = DesktopFacts{};
    lstrcpynW(facts.name, name, desktopNameSize);
    facts.nameFits = lstrlenW(name) < desktopNameSize;
    ++desktopCount;
    return TRUE;
}

// Looks at each desktop listed; one that went meanwhile is left out.
void ReadDesktops()
{
    int kept = 0;
    for (int i = 0; i < desktopCount; ++i) {
        DesktopFacts facts = desktops[i];
        facts.opened = true;
        facts.inUse = true;  // a name cut short can't be opened: refused as it is
        if (facts.nameFits) {
            HDESK desktop = OpenDesktopW(facts.name, 0, FALSE, readAccess);
            if (desktop) {
                facts.systemOwned = SystemOwned(desktop);
                facts.inUse = InUse(desktop);
                CloseDesktop(desktop);
            } else if (GetLastError() == ERROR_ACCESS_DENIED) {
                facts.opened = false;
            } else {
                continue;
            }
        }
        desktops[kept++] = facts;
    }
    desktopCount = kept;
}

InputFacts ReadInput()
{
    InputFacts input = {};
    HDESK desktop = OpenInputDesktop(0, FALSE, readAccess);
    if (!desktop) {
        input.state = GetLastError() == ERROR_ACCESS_DENIED ? InputState::Shut : InputState::Unknown;
        return input;
    }
    DWORD needed = 0;
    if (GetUserObjectInformationW(desktop, UOI_NAME, input.name, sizeof input.name, &needed)) {
        input.state = InputState::Named;
        input.systemOwned = SystemOwned(desktop);
    }
    CloseDesktop(desktop);
    return input;
}

// SwitchDesktop needs DESKTOP_SWITCHDESKTOP on the desktop switched to, from a process on
// the window station that takes input; the watch's own desktop is Default.
void SwitchToDefault()
{
    HDESK desktop = OpenDesktopW(L"Default", 0, FALSE, DESKTOP_SWITCHDESKTOP);
    if (desktop) {
        SwitchDesktop(desktop);
        CloseDesktop(desktop);
    }
}

// The pipe's name: what follows the program's own, quoted, on the command line.
const wchar_t* PipeName()
{
    const wchar_t* at = GetCommandLineW();
    if (*at == L'"') {
        for (++at; *at && *at != L'"'; ++at) {
        }
        if (*at)
            ++at;
    } else {
        while (*at && *at != L' ')
            ++at;
    }
    while (*at == L' ')
        ++at;
    return at;
}

DesktopWatchState state;
char report[desktopReportSize];

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    const wchar_t* name = PipeName();
    if (!name[0] || !ReadTokenUser(GetCurrentProcess(), ownUser))
        return 2;
    HANDLE pipe = CreateFileW(name, GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
    if (pipe == INVALID_HANDLE_VALUE)
        return 3;
    for (;;) {
        // The input first: a desktop made since is then listed, and not taken for an
        // input that no list holds.
        InputFacts input = ReadInput();
        desktopCount = 0;
        if (EnumDesktopsW(GetProcessWindowStation(), OnDesktop, 0) || desktopCount > 0) {
            ReadDesktops();
            bool switchInput = false;
            int length = LookAtDesktops(state, desktops, desktopCount, input, report,
                                        desktopReportSize, switchInput);
            if (switchInput)
                SwitchToDefault();
            DWORD written = 0;
            if (length > 0 && !WriteFile(pipe, report, static_cast<DWORD>(length), &written, NULL))
                return 0;
        }
        Sleep(lookEveryMs);
    }
}
