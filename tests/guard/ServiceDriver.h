#pragma once
// The service's loop on the fake, as pyxen-guard.exe runs it: GuardBegin, then a pass
// whenever the last one asked for it, a child ended, or something else woke the loop.
#include "guard/FakeGuardSystem.h"
#include "guard/Guard.h"
#include "guard/GuardPass.h"
#include "guard/HoursWatch.h"

#include <algorithm>

inline GuardTime& NextPass()
{
    static GuardTime next;
    return next;
}

inline void BeginService(const char* hoursPath)
{
    NextPass() = GuardBegin(hoursPath);
}

// A wake with nothing set is a child's end.
inline void Wake(const GuardWake& wake = GuardWake())
{
    NextPass() = GuardPass(wake);
}

// Runs the loop for ms with nothing but its own times waking it.
inline void RunService(GuardTime ms)
{
    // What a test did by a direct call stands for work done in a pass: the loop then
    // waits for what that work made due.
    GuardTime due = GuardNextWake();
    if (due && due < NextPass())
        NextPass() = due;
    NextPass() = std::min(NextPass(), NextHoursCheck());
    GuardTime end = GuardNow() + ms;
    while (NextPass() <= end) {
        FakeAdvance(std::max(NextPass(), GuardNow()) - GuardNow());
        Wake();
    }
    FakeAdvance(end - GuardNow());
}
