#include "platform/Window.h"

// A program that is alive and pumping messages (for instance while it asks its user
// whether to save) is waited for as long as it takes, exactly as a plain SendMessage
// would. Only a thread that stops answering is given up on: Windows calls a window hung
// after 5 s without pumping, and SMTO_ABORTIFHUNG then returns at once; before that,
// this timeout bounds the wait, so one stuck program costs a sweep at most 3 s.
static const UINT closeTimeout = 3000;

void EnumTopWindows(WNDENUMPROC proc)
{
    EnumWindows(proc, 0);
}

int ReadWindowTitle(HWND window, char* title, int size)
{
    int length = GetWindowTextA(window, title, size);
    if (length <= 0) {
        title[0] = '\0';
        return 0;
    }
    return length;
}

bool RequestClose(HWND window)
{
    DWORD_PTR result;
    return SendMessageTimeoutA(window, WM_CLOSE, 0, 0,
                               SMTO_ABORTIFHUNG | SMTO_NOTIMEOUTIFNOTHUNG,
                               closeTimeout, &result) != 0;
}
