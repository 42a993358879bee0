#pragma once
// The enforcement hours the guard keeps: the machine policy's, or else hours.cfg's,
// read in their zone. Runs on the service loop's thread: the file lies in the install
// folder and the policy in the registry, both quick to read. A broken source, or an
// hours.cfg that is there but can't be opened, is refused whole and the hours in force
// stay; with none in force yet, the guard enforces always. Hours that name no zone keep
// the system's as it was when they were applied: a standard user may change it.
#include "guard/GuardSystem.h"

// The policy and the zones are read again this often: a named zone's rules as Windows
// updates them, a change of the system's zone (noted, not followed), an hours.cfg that
// couldn't be opened, and a changed policy when its notification can't be had.
const GuardTime hoursPollMs = 60 * 1000;

// An edited hours.cfg is read once its stamp has stayed the same this long
// (guard/StampWatch.h); one that can't be reached has not changed, one deleted has.
const GuardTime hoursQuietMs = 2 * 1000;

// Reads the hours in force at the service's start (hours.cfg at path, unless the policy
// replaces it) and reports how they were taken: applied when there are any, refused
// with enforcing always when there is nothing to keep.
void StartHoursWatch(const char* path);

// Whether the hours in force hold now; for GuardStart.
bool HoursEnforcing();

// The install folder changed: hours.cfg's stamp is looked at by the next CheckHours.
void HoursFolderChanged();

// The clock was set or the PC woke: the policy and zone are read again by the next
// CheckHours, as at a poll.
void HoursReadAgain();

// A policy changed: the policy is read once it has been quiet for hoursQuietMs, since
// policy processing writes a key's values one by one.
void HoursPolicyChanged();

// Does what is due: an edited hours.cfg, once settled, and a changed policy at a poll,
// are applied or refused (one entry each; a change of the system's zone gets one too),
// and at a beginning or an end of the hours enforcement is turned on or off
// (GuardSetEnforcing) with one entry. Call it on every wake: a wake after the clock
// jumped or the PC slept sees where the hours are.
void CheckHours();

// When CheckHours has something to do next: the next beginning or end, the end of a
// quiet time, or the next poll; at most hoursPollMs away.
GuardTime NextHoursCheck();
