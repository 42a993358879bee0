#pragma once
// The service loop's work, in the order the service does it. The Win32 side only waits
// and gathers what woke it; the tests drive these same passes on the fake.
#include "guard/GuardSystem.h"

enum class SessionChangeKind { Logon, Logoff };
struct SessionChange {
    SessionChangeKind kind;
    SessionId session;
};

// What woke the loop since the last pass. A wake at a time GuardPass gave, or a child's
// end, is a pass with nothing set.
struct GuardWake {
    bool clockChanged = false;  // the clock was set or the PC resumed
    const SessionChange* changes = nullptr;
    int changeCount = 0;
    bool changesLost = false;  // more changes came than were kept: the list is read again
    void (*settingsApplied)() = nullptr;  // edited settings wait to be swapped in
    bool policyChanged = false;
    bool folderChanged = false;  // the install folder, where hours.cfg lies
};

// The service starts: reads the hours (hours.cfg at hoursPath, unless the policy decides)
// and starts a Pyxen in every session with a user while they hold. Returns when the
// first pass is due.
GuardTime GuardBegin(const char* hoursPath);

// Does what the wake asks, then what has come due; returns when the next pass is due.
GuardTime GuardPass(const GuardWake& wake);
