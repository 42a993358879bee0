#pragma once
// The handful of Win32 types and flags that the portable code names. pyxen.exe gets
// them from <windows.h>; the native build (unit tests, tools on Linux) gets look-alikes,
// so the same sources compile on both.
#ifdef _WIN32
#include <windows.h>
#else
#include <stdint.h>
struct HWND__;
typedef HWND__* HWND;
typedef int BOOL;
typedef intptr_t LPARAM;
#define CALLBACK
#define TRUE 1
#define FALSE 0
#define WS_EX_TOOLWINDOW 0x00000080L
#define WS_EX_APPWINDOW 0x00040000L
typedef BOOL (CALLBACK* WNDENUMPROC)(HWND, LPARAM);
#endif
