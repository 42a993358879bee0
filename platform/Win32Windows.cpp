#include "platform/Window.h"

#include "platform/PendingCloses.h"

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

static unsigned long WindowThread(HWND window)
{
    return GetWindowThreadProcessId(window, NULL);
}

// The program whose request the wait last ran out on, and that request. While it stays
// open the program is busy with it, most likely asking its user: its windows on other
// threads are asked without a wait, or a program that opens a question in each of many
// windows would hold every sweep closeWait for each of them.
static DWORD stalledProcess;
static uintptr_t stalledRequest;

// Runs whenever the answer comes: inside the wait, or long after it, from the host's
// message loop. The request id names its own slot, so no wait mistakes another answer
// for its own.
static void CALLBACK CloseAnswered(HWND, UINT, ULONG_PTR request, LRESULT)
{
    EndCloseRequest(request);
}

// A program that pumps messages while it asks its user whether to save is waited for
// up to closeWait, as Windows waits before calling it not responding; past that the
// sweep goes on and the request stays outstanding. A plain SendMessage would wait as
// long as the question stays open; a send with a timeout would forget the request and
// let the next sweep send a second WM_CLOSE into the window still handling the first.
bool RequestClose(HWND window)
{
    if (IsHungAppWindow(window))
        return false;
    uintptr_t request = OpenCloseRequest(window, WindowThread);
    if (!request)
        return false;
    // Fails at once, with ERROR_ACCESS_DENIED, for a window of a process with higher
    // rights (UIPI): nothing was sent, so there is nothing to wait for.
    if (!SendMessageCallbackA(window, WM_CLOSE, 0, 0, CloseAnswered, request)) {
        EndCloseRequest(request);
        return false;
    }
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    bool noWait = process == stalledProcess && CloseRequestOpen(stalledRequest);
    DWORD start = GetTickCount();
    for (;;) {
        // Peeking runs the callback and whatever is sent to this thread; it removes
        // nothing posted, so no timer tick is handled inside the wait.
        MSG message;
        PeekMessageA(&message, NULL, 0, 0, PM_NOREMOVE);
        if (!CloseRequestOpen(request))
            return true;
        if (!IsWindow(window)) {
            EndCloseRequest(request);
            return false;
        }
        if (noWait)
            return false;
        DWORD spent = GetTickCount() - start;
        if (spent >= closeWait || IsHungAppWindow(window)) {
            stalledProcess = process;
            stalledRequest = request;
            return false;
        }
        DWORD left = closeWait - spent;
        MsgWaitForMultipleObjects(0, NULL, FALSE, left < waitPoll ? left : waitPoll,
                                  QS_SENDMESSAGE);
    }
}

WindowExemption ExemptionOf(HWND window)
{
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    if (process == GetCurrentProcessId())
        return WindowExemption::OwnWindow;
    if (window == GetShellWindow())
        return WindowExemption::ShellWindow;
    // One byte longer than the longest name, so a longer class name never matches.
    char className[13];
    if (GetClassNameA(window, className, sizeof className) > 0
        && (strcmp(className, "IME") == 0 || strcmp(className, "MSCTFIME UI") == 0))
        return WindowExemption::InputMethod;
    return WindowExemption::None;
}
