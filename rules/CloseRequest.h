#pragma once
#include "platform/Window.h"

// Asks the window to close (WM_CLOSE) and waits while its program handles the request,
// at most closeWait ms. Returns true when the program answered in that time. False
// when it did not: the request then stays outstanding, and the window is not asked
// again, by any caller, until that answer arrives or the window is gone; nor is any
// other window of the thread handling it. (Under a flood of such requests, more than
// the table holds, the newest is given up and its window may be asked again.) Also
// false, at once and with nothing sent, for a window whose thread still has a request
// outstanding, that is hung, is gone, or runs with higher rights than Pyxen (Windows
// blocks the message). A window of a program still busy with a request that used up
// the wait is asked without a wait.
bool RequestClose(HWND window);
