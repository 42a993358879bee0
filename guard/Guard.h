#pragma once
// The guard's decisions: which sessions get a Pyxen, when a Pyxen that ended is started
// again, when one that keeps ending is held back, and what happens at logoff and stop.
// Everything here runs on the service loop's one thread; Windows is reached only through
// GuardSystem.h, so the native tests run these decisions on the fake.
#include "guard/GuardSystem.h"

// The loop waits on every child, the stop event, the session-change event and one more
// handle (the settings watch): at most 64 handles in all.
const int guardMaxSessions = 60;

// A Pyxen that ends within this time of its start ended quickly: unreadable settings,
// settings with no rule (its error box dismissed), or a broken pyxen.exe. A minute covers
// a user who reads the box before dismissing it.
const GuardTime quickEndMs = 60 * 1000;

// Quick ends in a row that are still answered by an immediate start. The next one holds
// the session back: a broken setup shows its error box at most this many times plus one
// before the pause, and an administrator testing by ending Pyxen a few times is answered.
const int quickEndsAllowed = 2;

// The first pause, doubled each time the Pyxen started after a pause ends quickly again,
// up to the longest. Two minutes is a box now and then rather than a storm; an hour bounds
// how long a fix the guard can't see (a replaced pyxen.exe) waits. Edited settings end
// the pause at once (GuardReleaseHeld).
const GuardTime firstHoldMs = 2 * 60 * 1000;
const GuardTime longestHoldMs = 60 * 60 * 1000;

// How long a new Pyxen may take to load its settings before the swap gives up on it.
const unsigned long pyxenReadyMs = 10 * 1000;

// The service starts: one Pyxen in every session with a user, or in the console session
// when the list is empty.
void GuardStart();

// A user logged on or connected to the session: it gets a Pyxen unless it has one.
void GuardLogon(SessionId session);

// The session's user logged off: its Pyxen ends and the session is forgotten.
void GuardLogoff(SessionId session);

// Looks at every child and the clock: a Pyxen that ended is started again, or held back
// after repeated quick ends; a session whose pause is over gets a new one. The loop calls
// this whenever a child's handle is signalled or GuardNextWake has come.
void GuardPoll();

// The earliest time GuardPoll has something to do without a child ending; 0 when none.
GuardTime GuardNextWake();

// The running children, at most capacity of them; returns how many. The loop waits on
// these.
int GuardChildren(ChildId* children, int capacity);

// A swap ends the old Pyxens this long before the new ones' first sweep: enough for a
// timer started while the new one loaded, and for the loop's own wake-up.
const GuardTime swapMarginMs = 250;

// For the settings watch, when edited settings load with at least one rule and sweep
// every sweepInterval ms: every guarded session's Pyxen is replaced by a new one. In each
// session the new Pyxen is started and waited for until it has loaded its settings
// (WaitPyxenReady); its first sweep comes one interval after that. The old ones go on
// sweeping until swapMarginMs before then, when GuardPoll ends them (GuardNextWake says
// when): the sweeps go on with no gap much longer than an interval, and never two
// Pyxens of one session sweep at once. A new one that ends or doesn't get ready is ended
// and the old one kept. Held-back sessions are released too. Returns how many sessions
// now run a Pyxen started by this call.
int GuardSwapAll(long sweepInterval);

// For the settings watch, when the settings changed (whether they load or not): every
// held-back session gets a new Pyxen now, and its quick ends are forgotten.
void GuardReleaseHeld();

// The service stops: every Pyxen ends, then the stop is reported.
void GuardStop();
