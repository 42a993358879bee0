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

// Where settings came from, for entries 20, 21 and 27.
const wchar_t settingsFileWord[] = L"%%2040";
const wchar_t settingsPolicyWord[] = L"%%2041";
const wchar_t settingsPolicy32Word[] = L"%%2042";  // found in the registry's 32-bit view

// Why the settings policy was refused, by SettingsPolicyFault (policy/SettingsPolicy.h).
inline const wchar_t* SettingsPolicyFaultWord(int fault)
{
    static const wchar_t* const words[] = {L"", L"%%2043", L"%%2044", L"%%2045", L"%%2046"};
    return fault >= 0 && fault < 5 ? words[fault] : L"";
}
