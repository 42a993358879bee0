#pragma once
// Word back: after each attempt to apply settings, from the file or from the policy, the
// guard records what came of it (RecordSettingsOutcome, guard/GuardSystem.h), so that a
// script tells which PCs took an edit without reading their event logs:
//   Source     "policy" or "file": where the settings in force came from
//   View       "64-bit" or "32-bit": the registry view the policy was found in, "" for a file
//   From       the settings and the lists they read, as entry 20 names them
//   Rules      the number of rules in force (a number)
//   AppliedAt  when the guard last took them, in UTC: 2026-12-07T08:40:00Z
//   Result     "applied", or "refused" when the last attempt was refused
//   RefusedAt, RefusedSource, RefusedFrom, RefusalReason: the last refusal, kept after a
//              later attempt applies, so that its reason can still be read
// A refusal because another program holds a file open is one too: Result "refused". The
// reason is in English, "no rule" or "can't be read: PATH", say, as scripts compare it.

// Where Windows keeps it, below HKLM, in the 64-bit view: a key of the product's own, not
// a policy's, which administrators (and users) may read and only SYSTEM and
// administrators may write.
#define PYXEN_OUTCOME_KEY "SOFTWARE\\Pyxen\\Guard\\LastApply"
