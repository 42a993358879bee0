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

// Opens pyxen-desktops.exe for the life of the service, at its start, before any user can
// hold it (Win32Desktops.cpp).
void HoldDesktopWatch();

// The desktop watch's pipe (Win32Desktops.cpp), held with its child and freed with it
// once the process has ended.
struct ChildPipe;
void FreeChildPipe(ChildPipe* pipe);
ChildPipe* PipeOf(ChildId child);

// Starts program (arguments may be NULL) in the session, as a Pyxen is started (the
// account, the job, the wait for its end), in folder, on the named desktop of the
// session's WinSta0. The child holds pipe from then on; on a failure it is still the
// caller's.
ChildId StartInSession(SessionId session, const wchar_t* program, const wchar_t* arguments,
                       const wchar_t* folder, const wchar_t* desktop, ChildPipe* pipe,
                       unsigned long& error);
