#pragma once
// Words inside the guard's entries, in the reader's language. Each is a parameter message
// of pyxen-guard.exe's message table (GuardMessages.mc, ids 2000 and up, registered as
// the source's ParameterMessageFile), written into an entry's strings as "%%N": Event
// Viewer puts message N's text, in the reader's language, in its place. Names, numbers
// and times stay as they are in every language.
#include "hours/HoursFile.h"

// Why hours were refused; empty for HoursFault::None. The checker explains each fault at
// length in texts of its own.
const wchar_t* HoursFaultWord(HoursFault fault);

// The day's name, 0 Monday .. 6 Sunday.
const wchar_t* WeekdayWord(int weekday);

const wchar_t fileHeldWord[] = L"%%2020";        // another program holds the file open
const wchar_t noSuchZoneWord[] = L"%%2021";      // the zone named is not on this PC
const wchar_t noZoneNameWord[] = L"%%2022";      // the system gives its zone no name
const wchar_t systemsZoneWord[] = L"%%2023";     // after a zone's name: it is the system's
const wchar_t systemsZoneAloneWord[] = L"%%2024";  // the system's zone, with no name
const wchar_t noEndWord[] = L"%%2025";           // enforcement that never ends
