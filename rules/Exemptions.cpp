#include "rules/Exemptions.h"

#include <string.h>

WindowExemption ExemptionOf(HWND window)
{
    if (WindowProcess(window) == OwnProcess())
        return WindowExemption::OwnWindow;
    if (window == ShellWindow())
        return WindowExemption::ShellWindow;
    // One byte longer than the longest name, so a longer class name never matches.
    char className[13];
    if (ReadClassName(window, className, sizeof className) > 0
        && (strcmp(className, "IME") == 0 || strcmp(className, "MSCTFIME UI") == 0))
        return WindowExemption::InputMethod;
    return WindowExemption::None;
}

// Cheapest first: the first three read the window's own record, while cloaking asks the
// window manager and, for a cloaked window, the shell.
Unswitchable WhyUnswitchable(HWND window)
{
    if (!WindowVisible(window))
        return Unswitchable::Invisible;
    if (WindowOwned(window))
        return Unswitchable::Owned;
    unsigned long style = WindowExStyle(window);
    if ((style & WS_EX_TOOLWINDOW) && !(style & WS_EX_APPWINDOW))
        return Unswitchable::ToolWindow;
    // A game moved to another desktop is still in use, and one the shell won't tell
    // about is asked as before.
    if (WindowCloaked(window)) {
        VirtualDesktop desktop = DesktopOf(window);
        if (desktop == VirtualDesktop::Current || desktop == VirtualDesktop::None)
            return Unswitchable::Cloaked;
    }
    return Unswitchable::No;
}
