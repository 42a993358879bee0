#pragma once
// The service's one working thread: it runs the guard's decisions (guard/Guard.h) when a
// child ends, a session changes, a pause is over, or something the settings watch waits
// for happens, and sleeps otherwise.
#include "guard/GuardSystem.h"

#include <windows.h>

// One more thing the loop waits for, besides the children, session changes and the stop:
// the settings watch, which works on a thread of its own. Wake runs on the loop's thread
// when the watch's handle is signalled; it may call GuardSwapAll.
struct LoopWatch {
    HANDLE handle;
    void (*Wake)();
};

// Makes what the control handler reaches; before the service accepts any control. False
// when Windows gives no events.
bool PrepareGuardLoop();

// Called from the service's control handler, on its thread.
void QueueSessionChange(DWORD type, SessionId session);
void StopGuardLoop();

// The system time was set or the PC resumed: the loop looks at the hours now.
void WakeGuardLoop();

// Reads the enforcement hours, starts a Pyxen in every session while they hold, and
// guards them until StopGuardLoop, then ends them all. watch may be NULL.
void RunGuardLoop(const LoopWatch* watch);
