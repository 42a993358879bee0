#include "tools/pyxen-check/WindowList.h"

#include "rules/Sweep.h"
#include "tools/pyxen-check/Text.h"

#include <windows.h>

#include <stdint.h>
#include <stdio.h>
#include <string>
#include <vector>

namespace {

struct ListedWindow {
    HWND window;
    std::string title;
    std::string rulesMatching;  // " 0 3", empty when no rule matches
    const char* exemptBecause;  // why Pyxen never asks it, or NULL
    bool aboveUs;               // runs with higher rights than the checker
};

std::vector<ListedWindow> listed;
DWORD pyxenProcess;  // a running pyxen.exe's, whose own windows it never asks
long ownIntegrity;

const char exemptNote[] = "      exempt (%s): Pyxen never asks it to close\n";
const char elevatedNote[] =
    "      runs as administrator: Pyxen can't close it unless it runs elevated too\n";

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

const char* ExemptBecause(HWND window, DWORD process)
{
    if (process == pyxenProcess)
        return "Pyxen's own window";
    switch (ExemptionOf(window)) {
    case WindowExemption::OwnWindow:
        return "this program's own window";
    case WindowExemption::ShellWindow:
        return "the desktop";
    case WindowExemption::InputMethod:
        return "input-method window";
    case WindowExemption::None:
        break;
    }
    return NULL;
}

// The sweep reads each title the same way and holds it against the same rules; the
// first rule that matches sends the request, and later ones ask again only a window
// that is still there.
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
    ListedWindow entry = {window, Escaped(title.text, title.length), "",
                          ExemptBecause(window, process),
                          ownIntegrity >= 0 && integrity > ownIntegrity};
    for (int i = 0; i <= lastRule; ++i) {
        if (rules[i].Matches(title))
            entry.rulesMatching += " " + std::to_string(i);
    }
    listed.push_back(entry);
    return TRUE;
}

}  // namespace

void ListWindows()
{
    listed.clear();
    pyxenProcess = 0;
    HWND host = FindWindowA("Pyxen", NULL);
    if (host)
        GetWindowThreadProcessId(host, &pyxenProcess);
    ownIntegrity = IntegrityOf(GetCurrentProcessId());
    EnumTopWindows(ListWindow);
    int named = 0;
    for (const ListedWindow& entry : listed)
        named += entry.rulesMatching.empty() || entry.exemptBecause ? 0 : 1;
    printf("windows %d titled, %d would be asked to close (dry run: nothing was sent)\n",
           static_cast<int>(listed.size()), named);
    for (const ListedWindow& entry : listed) {
        unsigned long handle = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(entry.window));
        printf("  0x%08lX \"%s\": ", handle, entry.title.c_str());
        if (entry.rulesMatching.empty())
            printf("no rule\n");
        else
            printf("rule%s%s\n", entry.rulesMatching.find(' ', 1) == std::string::npos ? "" : "s",
                   entry.rulesMatching.c_str());
        if (entry.exemptBecause)
            printf(exemptNote, entry.exemptBecause);
        else if (entry.aboveUs)
            printf(elevatedNote);
    }
}
