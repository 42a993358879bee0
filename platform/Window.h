#pragma once
#include "platform/WinTypes.h"

#include <stdint.h>

// What the window system tells about windows, and the few things it is asked to do;
// what Pyxen makes of the answers is decided above this seam, in rules/. pyxen.exe
// links the Win32 layer (Win32Windows.cpp, Win32Switchable.cpp, Win32ErrorBox.cpp);
// the unit tests link the in-memory desktop (FakeDesktop.cpp) in its place.

// Size of every title buffer: titles are read, and compared, by their first 249 bytes.
const int titleSize = 250;

// Calls proc once for every top-level window, visible or not, with parameter 0.
void EnumTopWindows(WNDENUMPROC proc);

// Copies the title, NUL-terminated and cut to size - 1 bytes, and returns its length;
// 0 for a window without a title or one that no longer exists.
int ReadWindowTitle(HWND window, char* title, int size);

// The name of the window's class, cut likewise; 0, with the buffer undefined, when it
// can't be read.
int ReadClassName(HWND window, char* name, int size);

// The thread and the process that own a window; 0 once the window is gone.
unsigned long WindowThread(HWND window);
unsigned long WindowProcess(HWND window);

// This very process.
unsigned long OwnProcess();

// The desktop window, whose WM_CLOSE offers to shut the PC down.
HWND ShellWindow();

// Windows calls the window's program "not responding".
bool WindowHung(HWND window);

// Runs once the program has handled a close request: inside AwaitCloseAnswer, or long
// after it, from the host's message loop.
typedef void (*CloseAnswered)(uintptr_t request);

// Sends WM_CLOSE to the window without waiting for it to be handled; answered(request)
// runs when it was. False, with nothing sent, when Windows blocks the message (the
// window runs with higher rights than Pyxen).
bool SendCloseRequest(HWND window, uintptr_t request, CloseAnswered answered);

enum class CloseWait {
    Answered,  // open(request) turned false
    Gone,      // the window no longer exists, and has not answered
    TimedOut,  // wait ms passed, or Windows called the program hung meanwhile
};

// Handles what is sent to this thread (the answer among it) until open(request) is
// false, the window is gone or wait ms have passed; looks at least once.
CloseWait AwaitCloseAnswer(HWND window, uintptr_t request, bool (*open)(uintptr_t),
                           unsigned long wait);

// The window's own record, as Alt+Tab reads it.
bool WindowVisible(HWND window);
bool WindowOwned(HWND window);
unsigned long WindowExStyle(HWND window);  // WS_EX_* flags

// Kept out of sight by the window manager; false where nothing cloaks.
bool WindowCloaked(HWND window);

// Which virtual desktop the shell puts the window on.
enum class VirtualDesktop {
    Unknown,  // no shell that tells, or it would not say
    Current,
    Other,
    None,     // on no desktop of its own (shown on every one)
};

VirtualDesktop DesktopOf(HWND window);

// A modal box with no owner and one OK button, brought to the front. The text is
// followed directly by path, which is in the system's ANSI code page; caption and text
// must stay valid (they are the program's fixed texts). In pyxen.exe the box waits in
// a fixed queue until ShowQueuedErrorBoxes, so that enforcement can start first.
void ShowErrorBox(const wchar_t* caption, const wchar_t* text, const char* path);

// Shows every queued box, one after the other; returns once the user dismissed them.
void ShowQueuedErrorBoxes();
