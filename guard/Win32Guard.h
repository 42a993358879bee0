#pragma once
// What the Windows side of the guard shares between its files.
#include <windows.h>

// The folder pyxen-guard.exe lies in, which holds pyxen.exe and pyxen.cfg; no trailing
// backslash.
const wchar_t* GuardFolder();

// A child's id is its process handle, so the service loop can wait on it.
inline HANDLE ChildHandle(uintptr_t child) { return reinterpret_cast<HANDLE>(child); }
