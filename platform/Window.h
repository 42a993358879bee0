#pragma once
#include "platform/WinTypes.h"

// The window-system operations the rules and the readers need, and nothing more.
// pyxen.exe links the Win32 layer (Win32Windows.cpp, Win32ErrorBox.cpp); the unit
// tests link the in-memory desktop (FakeDesktop.cpp) in its place.

// Size of every title buffer: titles are read, and compared, by their first 249 bytes.
const int titleSize = 250;

// Calls proc once for every top-level window, visible or not, with parameter 0.
void EnumTopWindows(WNDENUMPROC proc);

// Copies the title, NUL-terminated and cut to size - 1 bytes, and returns its length;
// 0 for a window without a title or one that no longer exists.
int ReadWindowTitle(HWND window, char* title, int size);

// Asks the window to close (WM_CLOSE) and waits while its program handles the request,
// at most closeWait ms. Returns true when the program answered in that time. False
// when it did not: the request then stays outstanding, and the window is not asked
// again, by any caller, until that answer arrives or the window is gone; nor is any
// other window of the thread handling it. (Under a flood of such requests, more than
// the table holds, the newest is given up and its window may be asked again.) Also
// false, at once and with nothing sent, for a window whose thread still has a request
// outstanding, that is hung, is gone, or runs with higher rights than Pyxen (Windows
// blocks the message).
bool RequestClose(HWND window);

// Windows' own threshold for calling a program "not responding".
const unsigned long closeWait = 5000;

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

// Where a call fails (no window manager that cloaks, or one that refuses to say which
// virtual desktop a window is on), No: the window is asked as any other.
Unswitchable WhyUnswitchable(HWND window);

// A modal box with no owner and one OK button, brought to the front. The text is
// followed directly by path, which is in the system's ANSI code page; caption and text
// must stay valid (they are the program's fixed texts). In pyxen.exe the box waits in
// a fixed queue until ShowQueuedErrorBoxes, so that enforcement can start first.
void ShowErrorBox(const wchar_t* caption, const wchar_t* text, const char* path);

// Shows every queued box, one after the other; returns once the user dismissed them.
void ShowQueuedErrorBoxes();
