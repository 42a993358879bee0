#include "guard/RestartThrottle.h"

bool RestartThrottle::HoldAfterEnd(GuardTime started, GuardTime now)
{
    bool quick = now - started < quickEndMs;
    quickEnds = quick ? quickEnds + 1 : 0;
    if (!quick)
        lastHold = 0;
    // After a pause the first quick end holds it back again, for longer.
    if (quickEnds > quickEndsAllowed || (quick && lastHold)) {
        Hold(now);
        return true;
    }
    return false;
}

bool RestartThrottle::StartFailed(GuardTime now)
{
    if (startFailed) {
        Hold(now);
        return false;
    }
    startFailed = true;
    heldUntil = now + startRetryMs;
    return true;
}

void RestartThrottle::Started() { startFailed = false; }

void RestartThrottle::Reset()
{
    quickEnds = 0;
    lastHold = 0;
}

void RestartThrottle::Hold(GuardTime now)
{
    GuardTime hold = lastHold ? lastHold * 2 : firstHoldMs;
    if (hold > longestHoldMs)
        hold = longestHoldMs;
    lastHold = hold;
    heldUntil = now + hold;
}
