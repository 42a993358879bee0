#pragma once
// What the guard's Pyxens run and read: a folder of the guard's own that no standard
// user can open, so that none can hold its files and make a Pyxen's start or its load
// fail. It holds a copy of pyxen.exe and the settings the guard last accepted, written
// as one settings file and one program list that give exactly the rules, methods and
// interval the readers took from the install folder, its lists and shares. A share that
// is down, or a file a user holds, then changes nothing until the next edit, and the
// settings outlive a restart of the guard and of Windows.
#include "guard/GuardSystem.h"

// The folder's name inside the install folder, and its two settings files.
const char storeName[] = "Guard";
const char storeSettingsName[] = "pyxen.cfg";
const char storeRulesName[] = "rules.txt";

// The settings file, the rule list and pyxen.exe, as the guard writes them; the list
// has a line of its own for each of the 250 rules at most, and a METHOD line before a
// rule that needs one.
const int storeRulesSize = 2 * 250 * 262 + 64;
const int storeSettingsSize = 96;

struct StoreText {
    char settings[storeSettingsSize];
    int settingsLength;
    char rules[storeRulesSize];
    int rulesLength;
};

// The rules the readers left in the rule table (0 to last) and interval, as the store's
// files; a Pyxen that loads them gets every rule byte for byte, in order, with its method.
void WriteStoreText(int last, long interval, StoreText& text);

// The guard starts, in the install folder installFolder: the store is made or its access
// list mended, and pyxen.exe is copied in (a held pyxen.exe leaves the copy as it was).
// True when the store holds settings a Pyxen can run with.
bool OpenSettingsStore(const char* installFolder);

// Whether the store holds exactly text, for the settings watch's start: the install
// folder's settings the store holds already are no edit.
bool StoreHolds(const StoreText& text);

// Whether the store holds settings: a Pyxen the guard starts reads them.
bool StoreHoldsSettings();

// Writes text into the store, each file whole or not at all. False, and the store as it
// was, when it can't.
bool WriteSettingsStore(const StoreText& text);

// The folder a Pyxen the guard starts runs pyxen.exe from and reads its settings in: the
// store once it holds settings, else the install folder, as before any were accepted.
const char* PyxenFolder();
