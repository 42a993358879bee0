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

// Asks the window to close (WM_CLOSE) and waits while its program handles the request.
// Returns false when the program did not answer (it is hung): the request was given up.
bool RequestClose(HWND window);

// A modal box with no owner and one OK button; returns once the user dismissed it.
// The text is followed directly by path, which is in the system's ANSI code page.
void ShowErrorBox(const wchar_t* caption, const wchar_t* text, const char* path);
