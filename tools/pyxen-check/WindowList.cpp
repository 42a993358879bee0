#include "tools/pyxen-check/WindowList.h"

#include "rules/Sweep.h"
#include "tools/pyxen-check/Console.h"
#include "tools/pyxen-check/Messages.h"
#include "tools/pyxen-check/Text.h"

#include <stdint.h>
#include <string>
#include <vector>

namespace {

struct ListedWindow {
    HWND window;
    std::string title;
    std::string rulesMatching;  // " 0 3", empty when no rule matches
};

std::vector<ListedWindow> listed;

// The sweep reads each title the same way and holds it against the same rules; the
// first rule that matches sends the request, and later ones ask again only a window
// that is still there.
BOOL CALLBACK ListWindow(HWND window, LPARAM)
{
    WindowTitle title;
    ReadTitle(window, title);
    if (title.length == 0)
        return TRUE;
    ListedWindow entry = {window, Escaped(title.text, title.length), ""};
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
    EnumTopWindows(ListWindow);
    int named = 0;
    for (const ListedWindow& entry : listed)
        named += entry.rulesMatching.empty() ? 0 : 1;
    Print(Say(Message::WindowsHeading, static_cast<int>(listed.size()), named));
    for (const ListedWindow& entry : listed) {
        unsigned long handle = static_cast<unsigned long>(reinterpret_cast<uintptr_t>(entry.window));
        Print(Format("  0x%08lX \"%s\": ", handle, entry.title.c_str()));
        if (entry.rulesMatching.empty())
            Print(Text(Message::WindowNoRule) + std::string("\n"));
        else
            Print(Say(entry.rulesMatching.find(' ', 1) == std::string::npos ? Message::WindowOneRule
                                                                            : Message::WindowRules,
                      entry.rulesMatching.c_str()) +
                  "\n");
    }
}
