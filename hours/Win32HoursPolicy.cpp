#include "hours/HoursPolicy.h"

#include "config/Decimal.h"
#include "config/LineReader.h"

#include <windows.h>

namespace {

// A REG_SZ value as UTF-8 in text (size bytes). Returns the length, -1 when there is no
// such text value, or size when it doesn't fit.
int ReadText(HKEY key, const wchar_t* name, char* text, int size)
{
    wchar_t wide[lineSize + 1];
    DWORD type = 0;
    DWORD bytes = sizeof wide - sizeof wide[0];
    LONG status = RegQueryValueExW(key, name, NULL, &type, reinterpret_cast<BYTE*>(wide), &bytes);
    if (status == ERROR_MORE_DATA)
        return size;
    if (status != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ))
        return -1;
    int units = static_cast<int>(bytes / sizeof wide[0]);
    // Stored with its NUL or without one: either way the text ends at the first.
    wide[units] = L'\0';
    units = lstrlenW(wide);
    if (units == 0)
        return 0;
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, units, text, size - 1, NULL, NULL);
    if (length <= 0)
        return size;
    text[length] = '\0';
    return length;
}

// Values 1, 2, ... in turn, as the template's list writes them, up to the first missing.
HoursFault ReadLines(HKEY policy, HoursSchedule& schedule, int& line)
{
    HKEY key = NULL;
    line = 0;
    // The 64-bit view, as for its parent: each open names it again.
    if (RegOpenKeyExW(policy, L"Hours", 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return HoursFault::None;
    HoursFault fault = HoursFault::None;
    char text[4 * lineSize];
    for (int number = 1; fault == HoursFault::None; ++number) {
        wchar_t name[decimalSize];
        WriteDecimal(static_cast<unsigned long long>(number), name);
        int length = ReadText(key, name, text, sizeof text);
        if (length < 0)
            break;
        line = number;
        fault = length == static_cast<int>(sizeof text) ? HoursFault::LineTooLong
                                                          : AddHoursLine(schedule, text, length);
    }
    RegCloseKey(key);
    return fault;
}

}  // namespace

PolicyHours ReadHoursPolicy(HoursSchedule& schedule, HoursError& error)
{
    ClearHours(schedule);
    error.line = 0;
    error.fault = HoursFault::None;
    HKEY policy = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"" PYXEN_POLICY_KEY, 0, KEY_READ | KEY_WOW64_64KEY,
                      &policy) != ERROR_SUCCESS)
        return PolicyHours::NotConfigured;
    DWORD enabled = 0;
    DWORD type = 0;
    DWORD size = sizeof enabled;
    PolicyHours result = PolicyHours::NotConfigured;
    if (RegQueryValueExW(policy, L"EnforcementHours", NULL, &type, reinterpret_cast<BYTE*>(&enabled),
                         &size) == ERROR_SUCCESS && type == REG_DWORD)
        result = enabled != 0 ? PolicyHours::Lines : PolicyHours::Always;
    if (result == PolicyHours::Lines) {
        char zone[4 * zoneNameSize];
        // An empty box leaves the zone to the PC, as no ZONE line does in the file.
        int length = ReadText(policy, L"HoursZone", zone, sizeof zone);
        if (length > 0)
            error.fault = length == static_cast<int>(sizeof zone) ? HoursFault::ZoneTooLong
                                                                   : SetHoursZone(schedule, zone, length);
        if (error.fault == HoursFault::None)
            error.fault = ReadLines(policy, schedule, error.line);
        if (error.fault != HoursFault::None)
            result = PolicyHours::Refused;
        else
            error.line = 0;
    }
    RegCloseKey(policy);
    return result;
}
