#pragma once
// When a session's next Pyxen may start: at once after an end now and then, after a
// pause that doubles while it keeps ending quickly, and within seconds after one start
// that failed. One per guarded session; Guard.cpp holds its Pyxen back until HeldUntil.
#include "guard/Guard.h"

class RestartThrottle {
public:
    // The Pyxen started at started ended at now: true when the next one waits until
    // HeldUntil, false when it starts at once.
    bool HoldAfterEnd(GuardTime started, GuardTime now);

    // A start failed at now: the next try waits until HeldUntil. True for the first
    // failure in a row, which is the one reported.
    bool StartFailed(GuardTime now);

    // A start succeeded: the next failure is a first one again.
    void Started();

    // Quick ends and pauses are forgotten: a new user, or a Pyxen of new settings, owes
    // nothing to what the last one did. Failed starts in a row are kept: nothing a user
    // or the settings do makes a start fail.
    void Reset();

    // The end of the wait last begun.
    GuardTime HeldUntil() const { return heldUntil; }
    // The pause last begun, for its entry.
    GuardTime Pause() const { return lastHold; }

private:
    void Hold(GuardTime now);

    // All zero at first, so that the guard's table of them takes no room in the exe.
    int quickEnds = 0;        // in a row
    GuardTime lastHold = 0;   // 0 after a Pyxen that ran long enough
    GuardTime heldUntil = 0;
    bool startFailed = false;  // the last start failed
};
