#pragma once
// What the Windows side of the guard shares between its files.
#include "guard/GuardSystem.h"

#include <windows.h>

// The folder pyxen-guard.exe lies in, which holds pyxen.exe and pyxen.cfg; no trailing
// backslash.
const wchar_t* GuardFolder();

// Milliseconds from now until at, for a wait: 0 once it has come.
inline DWORD MillisecondsUntil(GuardTime at)
{
    GuardTime now = GuardNow();
    if (at <= now)
        return 0;
    return at - now > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<DWORD>(at - now);
}

// Set whenever a child started by StartPyxen ends (auto-reset); the service loop waits
// on it and then looks at every child.
HANDLE ChildEndedEvent();
