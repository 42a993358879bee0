#include "platform/Window.h"

#include <string.h>

// A program that is alive and pumping messages (for instance while it asks its user
// whether to save) is waited for as long as it takes, as a plain SendMessage would, and
// is asked only once. Only a thread that stops answering is given up on, once Windows
// calls it hung (5 s without pumping). A send with a timeout can't do this: where the
// platform enforces the timeout on a busy but healthy program, the next sweep would
// send a second WM_CLOSE into the window still handling the first.
static const DWORD hungPoll = 100;

void EnumTopWindows(WNDENUMPROC proc)
{
    EnumWindows(proc, 0);
}

int ReadWindowTitle(HWND window, char* title, int size)
{
    if (GetWindowTextA(window, title, size) <= 0) {
        title[0] = '\0';
        return 0;
    }
    // The matching trusts this length; a window's own text handler could claim more.
    title[size - 1] = '\0';
    return static_cast<int>(strlen(title));
}

// A request given up on may still be answered later: its callback then names an old
// request and changes nothing that a later wait looks at.
static ULONG_PTR lastRequest;
static ULONG_PTR lastHandled;

static void CALLBACK CloseHandled(HWND, UINT, ULONG_PTR request, LRESULT)
{
    lastHandled = request;
}

bool RequestClose(HWND window)
{
    if (IsHungAppWindow(window))
        return false;
    ULONG_PTR request = ++lastRequest;
    if (!SendMessageCallbackA(window, WM_CLOSE, 0, 0, CloseHandled, request))
        return false;
    // Peeking runs the callback and whatever the target sends back to this thread; it
    // removes nothing posted, so no timer tick and no second sweep starts inside the wait.
    for (;;) {
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
        if (lastHandled == request)
            return true;
        if (!IsWindow(window) || IsHungAppWindow(window))
            return false;
        MsgWaitForMultipleObjects(0, NULL, FALSE, hungPoll, QS_SENDMESSAGE);
    }
}
