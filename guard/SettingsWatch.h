#pragma once
// Edited settings, found and judged by the guard. The files are those the readers use,
// learnt from the readers themselves as they load: the settings file and every program
// list it names. A change is a new last-write time or size; a file that can't be
// reached (a share that is down) has not changed. A changed file is read only once it
// has stayed as it is for settingsQuietMs, so that a file still being written is never
// read. Everything here runs on one thread: in pyxen-guard.exe, the watch's own, so
// that a slow share never holds up the service loop.
#include "guard/GuardSystem.h"

// Files in the local folder tell of a change at once (a change notification);
// the others, a share above all, are looked at this often. With the quiet time and a
// swap, an edit anywhere is in force well within a minute.
const GuardTime settingsPollMs = 30 * 1000;
const GuardTime settingsQuietMs = 2 * 1000;

// The files watched: the settings file and up to this many program lists besides. A
// list named after those is still read by every Pyxen, but its edits wait until one of
// the others changes.
const int watchedFileCapacity = 64;

enum class SettingsVerdict {
    Unchanged,  // nothing to do, or a change still settling
    Applied,    // new settings with at least one rule: replace every Pyxen (GuardSwapAll)
    Refused,    // unreadable, or no rule: every Pyxen keeps running as it is
};

// The size of the text that lists the files, with their separators.
const int settingsFilesSize = (watchedFileCapacity + 1) * (260 + 2);

struct StoreText;

// Loads the settings file at path, as each Pyxen does at its start, to learn the files
// and their stamps; when the policy decides (policy/SettingsPolicy.h), its lines take
// the file's place, and a change of the policy is an edit as a change of a file is. Applied when they load and are not what the guard's store holds
// already (an edit made while the guard was stopped): the store is to take them, as
// after an edit. Refused when they can't be taken: one entry, SettingsKept when the
// store still has the settings last accepted, SettingsRefused when it has none.
SettingsVerdict StartSettingsWatch(const char* path);

// The local folder's change notification fired: the stamps are looked at on the next
// CheckSettings, not at the next poll.
void SettingsFolderChanged();

// A policy changed (the registry's notification): the settings' policy is read on the
// next CheckSettings, and a change of it is taken once it has stayed as it is for
// settingsQuietMs; without a notification, the polls find it.
void SettingsPolicyChanged();

// When CheckSettings has something to do next without a notification.
GuardTime NextSettingsCheck();

// Looks at the stamps when due. Once a change has settled, loads the settings with the
// readers and says what came of it. A refused change is reported (SettingsRefused, once
// for each change) and loaded again at the next change of any of the files; one refused
// because another program holds a file is reported once (SettingsHeld) and loaded again
// at every poll until it is read. An applied
// one is reported by the swap, once it is done, with AppliedRules and AppliedFiles.
SettingsVerdict CheckSettings();

// The number of rules of the settings last applied, and the files they came from (at
// most settingsFilesSize characters with the NUL), as the entry gives them.
int AppliedRules();
const wchar_t* AppliedFiles();

// Where the settings last applied came from: the policy (and its view) or the file.
const wchar_t* AppliedSource();

// The same as the outcome's record writes it ("policy" or "file").
const wchar_t* AppliedSourceWord();

// The settings last applied, as the guard's store writes them (SettingsStore.h).
const StoreText& AcceptedText();
