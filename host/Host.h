#pragma once
#include "host/HostClass.h"

#include <windows.h>

const UINT_PTR sweepTimer = 1;

extern HINSTANCE instance;

LRESULT CALLBACK HostWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
