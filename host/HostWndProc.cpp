#include "host/Host.h"

#include "config/Settings.h"
#include "platform/Window.h"
#include "rules/Sweep.h"

#include <stdlib.h>

static const char settingsPath[] = ".\\pyxen.cfg";

static void OnCreate(HWND window)
{
    lastRule = LoadSettings(settingsPath);
    if (lastRule == -1) {
        // Nothing to enforce: the user reads why, then the process ends.
        ShowQueuedErrorBoxes();
        exit(0);
    }
    // The last INTER line has been read by now. The value goes to the timer unchanged.
    // Any error box is shown once the host window exists and ticks (WinMain).
    SetTimer(window, sweepTimer, static_cast<UINT>(interval), NULL);
}

static void OnPaint(HWND window)
{
    PAINTSTRUCT paint;
    BeginPaint(window, &paint);
    EndPaint(window, &paint);
}

static void OnDestroy(HWND window)
{
    KillTimer(window, sweepTimer);
    PostQuitMessage(0);
}

LRESULT CALLBACK HostWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    switch (message) {
    case WM_CREATE:
        OnCreate(window);
        return 0;
    case WM_TIMER:
        Sweep();
        return 0;
    case WM_PAINT:
        OnPaint(window);
        return 0;
    case WM_CLOSE:
        DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        OnDestroy(window);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}
