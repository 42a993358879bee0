#include "rules/CloseRequest.h"

#include "rules/PendingCloses.h"

// A program that pumps messages while it asks its user whether to save is waited for
// up to closeWait, as Windows waits before calling it not responding; past that the
// sweep goes on and the request stays outstanding. A plain SendMessage would wait as
// long as the question stays open; a send with a timeout would forget the request and
// let the next sweep send a second WM_CLOSE into the window still handling the first.
// The request id names its own slot, so no wait mistakes another answer for its own.
bool RequestClose(HWND window)
{
    if (WindowHung(window))
        return false;
    uintptr_t request = OpenCloseRequest(window, WindowThread);
    if (!request)
        return false;
    if (!SendCloseRequest(window, request, EndCloseRequest)) {
        EndCloseRequest(request);  // nothing was sent, so there is nothing to wait for
        return false;
    }
    unsigned long process = WindowProcess(window);
    unsigned long wait = CloseWaitFor(process);
    switch (AwaitCloseAnswer(window, request, CloseRequestOpen, wait)) {
    case CloseWait::Answered:
        return true;
    case CloseWait::Gone:
        EndCloseRequest(request);
        return false;
    case CloseWait::TimedOut:
        NoteStalled(process, request, wait);
        return false;
    }
    return false;
}
