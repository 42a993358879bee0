#pragma once
// The guard's decisions: which sessions get a Pyxen, when a Pyxen that ended is started
// again, when one that keeps ending is held back, and what happens at logoff and stop.
// Everything here runs on the service loop's one thread; Windows is reached only through
// GuardSystem.h, so the native tests run these decisions on the fake.
#include "guard/GuardSystem.h"

// Sessions guarded at once. Logons over time have no limit: a session's slot is freed
// when it ends. A Remote Desktop host runs a few hundred sessions at most; a session
// beyond this gets no Pyxen, and the first one refused is reported (SessionLimit).
const int guardMaxSessions = 1024;

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
// how long a fix the guard can't see (a replaced pyxen.exe) waits. Edited settings that
// apply end the pause at once (GuardSwapAll).
const GuardTime firstHoldMs = 2 * 60 * 1000;
const GuardTime longestHoldMs = 60 * 60 * 1000;

// A start that fails is tried again this much later, once; a second failure in a row
// waits a pause as a Pyxen that keeps ending does.
const GuardTime startRetryMs = 5 * 1000;

// A session whose Pyxen with edited settings failed keeps its old one, and a new one is
// tried this much later, and again, with one entry in all.
const GuardTime swapRetryMs = 2 * 60 * 1000;

// An ended Pyxen is waited for this long at most before the loop goes on: a Pyxen that
// replaces it then never sends requests beside it, and one that can't be ended (stuck
// in the kernel) holds up the loop no longer than this.
const GuardTime endWaitMs = 5 * 1000;

// The service starts: one Pyxen in every session with a user, or in the console session
// when the list is empty; none while the enforcement hours don't hold.
void GuardStart(bool enforcing = true);

// The enforcement hours began (true) or ended. At the beginning every session with a user
// gets a Pyxen; at the end every Pyxen ends and the sessions are forgotten: until the
// next beginning no Pyxen starts, not at a logon, and none is started again or held
// back. Settings applied meanwhile are those the Pyxens of the beginning load.
void GuardSetEnforcing(bool enforcing);

// A user logged on or connected to the session: it gets a Pyxen unless it has one, or
// has no logged-on user (a connect to the logon screen; the logon that follows counts).
void GuardLogon(SessionId session);

// The session's user logged off, or the session ended: its Pyxens end and the session is
// forgotten, with all the guard held for it. An id used again starts from nothing.
void GuardLogoff(SessionId session);

// After notifications were lost: every session with a user that has no Pyxen gets one,
// and every guarded session that is gone, or has no user now, is forgotten as at logoff.
void GuardReconcile();

// Looks at every child and the clock: a Pyxen that ended is started again, or held back
// after repeated quick ends; a session whose pause is over gets a new one; a swap goes
// one step further (GuardSwapAll). The loop calls this whenever a child has ended,
// something else woke it, or GuardNextWake has come.
void GuardPoll();

// The earliest time GuardPoll has something to do without a child ending; 0 when none.
GuardTime GuardNextWake();

// A swap ends a session's old Pyxen this long before its successor's first sweep could
// come: enough for the loop's own wake-up and for the old one's end. A takeover that
// comes due while another session's successor starts waits for that start; it is late
// enough to overlap only if that one start takes longer than an interval.
const GuardTime swapMarginMs = 250;

// For the settings watch, when edited settings load with at least one rule and sweep
// every settings.interval ms: every guarded session's Pyxen is replaced by a new one, its
// successor, without holding up the loop. GuardPoll starts one successor at a time, so
// that a stop, a logon or a restart waits for one process start at most.
//
// A Pyxen sets its sweep timer once it has loaded its settings, and a timer's first tick
// comes one interval after it is set: so no successor sweeps before its start plus one
// interval, whatever its load time. The old one sweeps until swapMarginMs before then,
// and is ended by GuardPoll (GuardNextWake says when) just before its successor takes
// over: in no session do two Pyxens sweep at once, and the gap is about the load time.
// Whether the successor has loaded is not waited for: WaitForInputIdle is documented for
// a child to be talked to, not for one in another session, so what tells is only
// whether it still runs when its turn comes.
//
// A successor that could not start or ended early is reported once (PyxenStartFailed or
// SwapFailed); its session keeps its old Pyxen and is tried again every swapRetryMs.
// Held-back sessions get a new Pyxen at once, their quick ends forgotten. Once every session has taken
// the new settings or failed, SettingsApplied is reported with rules, files, the
// number of sessions that took them and the source; the files' and the source's text
// must stay as they are until the next call. A swap still under way is given up for
// the new one.
struct SwapSettings {
    long interval;  // ms between sweeps
    int rules;      // how many
    const wchar_t* files;  // the files they came from, as the entry names them
    const wchar_t* source = nullptr;  // policy or file, as the entry names it; none: not named
};
void GuardSwapAll(const SwapSettings& settings);

// The service stops: every Pyxen ends, then the stop is reported. ReportStopping is called
// after each session's Pyxens ended, so that the stop's progress can be shown.
void GuardStop();
