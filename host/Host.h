#pragma once
#include <windows.h>

// The host window's class, which also lets an administrator's script find it to stop
// Pyxen with WM_CLOSE.
const char hostClassName[] = "Pyxen";
const UINT_PTR sweepTimer = 1;

extern HINSTANCE instance;

LRESULT CALLBACK HostWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
