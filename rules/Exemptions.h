#pragma once
// Which windows a rule leaves alone, decided from what the window system tells of them.
#include "platform/Window.h"

// Why a window is never asked to close, whatever its title.
enum class WindowExemption {
    None,
    OwnWindow,    // a window of this very process (its error box, for one)
    ShellWindow,  // the desktop: its WM_CLOSE offers to shut the PC down
    InputMethod,  // a thread's hidden input-method window ("IME", "MSCTFIME UI")
};

WindowExemption ExemptionOf(HWND window);

// Why a user can't switch to a window, in the spirit of Windows' Alt+Tab list. A
// Differs rule names no program but "whatever is running", so it leaves these alone.
enum class Unswitchable {
    No,          // a window someone can use, or one Windows can't tell about
    Invisible,   // a program's hidden helper window
    Cloaked,     // kept out of sight by the shell (not merely on another virtual desktop)
    ToolWindow,  // a palette or switcher, unless it also asks for a taskbar button
    Owned,       // a dialog or palette of another window
};

// Where the system can't tell (no window manager that cloaks, or a shell that won't
// say which virtual desktop a window is on), No: the window is asked as any other.
Unswitchable WhyUnswitchable(HWND window);
