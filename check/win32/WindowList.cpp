#include "check/WindowList.h"

#include "rules/Sweep.h"
#include "check/Console.h"
#include "check/Messages.h"
#include "check/Text.h"
#include "host/HostClass.h"

#include <windows.h>

#include <stdint.h>
#include <string>
#include <vector>

namespace {

struct ListedWindow {
    HWND window;
    std::string title;
    std::string rulesMatching;  // " 0 3", empty when no rule would ask it
    std::string differsLeaving; // the Differs rules that match but leave it alone
    Unswitchable why;           // why they do
    bool exempt;                // Pyxen never asks it to close
    Message exemptBecause;      // why, when exempt
    bool aboveUs;               // runs with higher rights than the checker
};

std::vector<ListedWindow> listed;
DWORD pyxenProcess;  // a running pyxen.exe's, whose own windows it never asks
// The level Pyxen runs at: the user's, as the checker's own, or -1 under the guard.
long pyxenIntegrity;

// The mandatory integrity level of a process (SECURITY_MANDATORY_*_RID), or -1 when
// it can't be read.
long IntegrityOf(DWORD processId)
{
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, processId);
    if (!process)
        return -1;
    long level = -1;
    HANDLE token;
    if (OpenProcessToken(process, TOKEN_QUERY, &token)) {
        union {
            TOKEN_MANDATORY_LABEL label;
            unsigned char bytes[128];
        } buffer;
        DWORD size;
        if (GetTokenInformation(token, TokenIntegrityLevel, &buffer, sizeof buffer, &size)) {
            PSID sid = buffer.label.Label.Sid;
            level = static_cast<long>(*GetSidSubAuthority(sid, *GetSidSubAuthorityCount(sid) - 1));
        }
        CloseHandle(token);
    }
    CloseHandle(process);
    return level;
}

// The guard service starts Pyxen as the system, above every window's level; a user's
// own Pyxen is at the user's. Only a running service says which applies here.
bool GuardRunning()
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    if (!manager)
        return false;
    SC_HANDLE service = OpenServiceA(manager, "PyxenGuard", SERVICE_QUERY_STATUS);
    SERVICE_STATUS status = {};
    bool running = service && QueryServiceStatus(service, &status) &&
                   status.dwCurrentState == SERVICE_RUNNING;
    if (service)
        CloseServiceHandle(service);
    CloseServiceHandle(manager);
    return running;
}

// False when Pyxen would ask the window; otherwise true, with the reason.
bool ExemptBecause(HWND window, DWORD process, Message& reason)
{
    if (process == pyxenProcess) {
        reason = Message::ExemptPyxenWindow;
        return true;
    }
    switch (ExemptionOf(window)) {
    case WindowExemption::OwnWindow:
        reason = Message::ExemptOwnWindow;
        return true;
    case WindowExemption::ShellWindow:
        reason = Message::ExemptShellWindow;
        return true;
    case WindowExemption::InputMethod:
        reason = Message::ExemptInputMethod;
        return true;
    case WindowExemption::None:
        break;
    }
    return false;
}

Message UnswitchableReason(Unswitchable why)
{
    switch (why) {
    case Unswitchable::Invisible:
        return Message::UnswitchableInvisible;
    case Unswitchable::Cloaked:
        return Message::UnswitchableCloaked;
    case Unswitchable::ToolWindow:
        return Message::UnswitchableToolWindow;
    case Unswitchable::Owned:
    case Unswitchable::No:
        break;
    }
    return Message::UnswitchableOwned;
}

// The sweep reads each title the same way and holds it against the same rules; the
// first rule that matches sends the request, and later ones ask again only a window
// that is still there. A Differs rule asks only windows a user can switch to.
BOOL CALLBACK ListWindow(HWND window, LPARAM)
{
    WindowTitle title;
    ReadTitle(window, title);
    if (title.length == 0)
        return TRUE;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    // Windows drops messages to a process with a higher integrity level (UIPI).
    long integrity = IntegrityOf(process);
    ListedWindow entry = {window, Escaped(title.text, title.length), "", "",
                          Unswitchable::No, false, Message::Count,
                          pyxenIntegrity >= 0 && integrity > pyxenIntegrity};
    entry.exempt = ExemptBecause(window, process, entry.exemptBecause);
    bool askedWhy = false;
    for (int i = 0; i <= lastRule; ++i) {
        if (!rules[i].Matches(title))
            continue;
        if (rules[i].method == Differs && !askedWhy) {
            entry.why = WhyUnswitchable(window);
            askedWhy = true;
        }
        bool leftAlone = rules[i].method == Differs && entry.why != Unswitchable::No;
        (leftAlone ? entry.differsLeaving : entry.rulesMatching) += " " + std::to_string(i);
    }
    listed.push_back(entry);
    return TRUE;
}

}  // namespace

void ListWindows()
{
    listed.clear();
    pyxenProcess = 0;
    HWND host = FindWindowA(hostClassName, NULL);
    if (host)
        GetWindowThreadProcessId(host, &pyxenProcess);
    // -1 marks no window as above Pyxen's reach.
    pyxenIntegrity = GuardRunning() ? -1 : IntegrityOf(GetCurrentProcessId());
    EnumTopWindows(ListWindow);
    int named = 0;
    for (const ListedWindow& entry : listed)
        named += entry.rulesMatching.empty() || entry.exempt ? 0 : 1;
    Print(Say(Message::WindowsHeading, static_cast<int>(listed.size()), named));
    for (const ListedWindow& entry : listed) {
        // Windows keeps window handles within 32 bits, so that 32- and 64-bit programs
        // can hand them to each other: the low half is the whole handle, and both builds
        // print it as every 32-bit tool shows it.
        unsigned long handle = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(entry.window));
        Print(Format("  0x%08lX \"%s\": ", handle, entry.title.c_str()));
        if (entry.rulesMatching.empty())
            Print(Text(Message::WindowNoRule) + std::string("\n"));
        else
            Print(Say(entry.rulesMatching.find(' ', 1) == std::string::npos ? Message::WindowOneRule
                                                                            : Message::WindowRules,
                      entry.rulesMatching.c_str()) +
                  "\n");
        if (entry.exempt) {
            Print(Say(Message::WindowExempt, Text(entry.exemptBecause)));
            continue;
        }
        if (!entry.differsLeaving.empty())
            Print(Say(Message::WindowLeftAlone, entry.differsLeaving.c_str(),
                      Text(UnswitchableReason(entry.why))));
        if (entry.aboveUs)
            Print(Text(Message::WindowElevated));
    }
}
