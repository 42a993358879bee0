#include "host/Host.h"

#include "platform/Window.h"

// The icon the window class asks for is not in the program file, so the class gets
// none of its own; the program file's icon (101) is the one Explorer shows.
static const WORD classIcon = 32512;

HINSTANCE instance;

int WINAPI WinMain(HINSTANCE thisInstance, HINSTANCE, LPSTR, int)
{
    instance = thisInstance;

    WNDCLASSA hostClass = {};
    hostClass.lpfnWndProc = HostWndProc;
    hostClass.hInstance = instance;
    hostClass.hIcon = LoadIconA(instance, MAKEINTRESOURCEA(classIcon));
    hostClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    hostClass.lpszClassName = hostClassName;
    RegisterClassA(&hostClass);

    // Never shown: the window exists to receive the creation, timer and close messages.
    CreateWindowExA(WS_EX_TOOLWINDOW, hostClassName, NULL, WS_OVERLAPPEDWINDOW,
                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT,
                    NULL, NULL, instance, NULL);
    // The rules that did load are enforced already: each box's own message loop
    // dispatches the timer's ticks to the host window while it waits for OK.
    ShowQueuedErrorBoxes();

    // GetMessage returns -1 on failure; only a positive result is a message to handle.
    MSG message = {};
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return static_cast<int>(message.wParam);
}
