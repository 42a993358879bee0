#include "platform/Window.h"

#include <string.h>

// How often the wait looks at the target again when no message wakes it.
static const DWORD waitPoll = 100;

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

int ReadClassName(HWND window, char* name, int size)
{
    return GetClassNameA(window, name, size);
}

unsigned long WindowThread(HWND window)
{
    return GetWindowThreadProcessId(window, NULL);
}

unsigned long WindowProcess(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    return process;
}

unsigned long OwnProcess()
{
    return GetCurrentProcessId();
}

HWND ShellWindow()
{
    return GetShellWindow();
}

bool WindowHung(HWND window)
{
    return IsHungAppWindow(window) != FALSE;
}

// The one answer callback the sweep gives; SendMessageCallbackA carries the request id.
static CloseAnswered answerTo;

static void CALLBACK CloseHandled(HWND, UINT, ULONG_PTR request, LRESULT)
{
    answerTo(request);
}

// Fails at once, with ERROR_ACCESS_DENIED, for a window of a process with higher
// rights (UIPI).
bool SendCloseRequest(HWND window, uintptr_t request, CloseAnswered answered)
{
    answerTo = answered;
    return SendMessageCallbackA(window, WM_CLOSE, 0, 0, CloseHandled, request) != FALSE;
}

CloseWait AwaitCloseAnswer(HWND window, uintptr_t request, bool (*open)(uintptr_t),
                           unsigned long wait)
{
    DWORD start = GetTickCount();
    for (;;) {
        // Peeking runs the callback and whatever is sent to this thread; it removes
        // nothing posted, so no timer tick is handled inside the wait.
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
        if (!open(request))
            return CloseWait::Answered;
        if (!IsWindow(window))
            return CloseWait::Gone;
        DWORD spent = GetTickCount() - start;
        if (spent >= wait || IsHungAppWindow(window))
            return CloseWait::TimedOut;
        DWORD left = wait - spent;
        MsgWaitForMultipleObjects(0, NULL, FALSE, left < waitPoll ? left : waitPoll,
                                  QS_SENDMESSAGE);
    }
}
