// The wall clock and the machine policy's hours, as pyxen.admx writes them:
// HKLM\Software\Policies\Pyxen, EnforcementHours 1 (enabled) or 0 (disabled), the lines
// as values 1, 2, ... of its subkey Hours, the zone as its text value HoursZone.
#include "guard/GuardSystem.h"

#include <windows.h>

namespace {

const wchar_t policyKey[] = L"SOFTWARE\\Policies\\Pyxen";

// A line or zone as the reader takes it, in UTF-8; length -1 when it is too long.
int ReadText(HKEY key, const wchar_t* name, char* text, int size)
{
    wchar_t wide[512];
    DWORD bytes = sizeof wide - sizeof(wchar_t);
    DWORD type = 0;
    if (RegQueryValueExW(key, name, NULL, &type, reinterpret_cast<BYTE*>(wide), &bytes) !=
            ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return -2;
    wide[bytes / sizeof(wchar_t)] = L'\0';
    int length = WideCharToMultiByte(CP_UTF8, 0, wide, -1, text, size, NULL, NULL);
    return length > 0 ? length - 1 : -1;
}

}  // namespace

int64_t GuardUtcNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    uint64_t ticks = static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10000000);
}

PolicyHours ReadHoursPolicy(HoursSchedule& schedule, HoursError& error)
{
    HKEY key;
    // The policy key lies in the registry all processes share, whatever their bitness.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, policyKey, 0, KEY_READ | KEY_WOW64_64KEY, &key) !=
        ERROR_SUCCESS)
        return PolicyHours::NotConfigured;
    DWORD enabled = 0;
    DWORD bytes = sizeof enabled;
    DWORD type = 0;
    LONG found = RegQueryValueExW(key, L"EnforcementHours", NULL, &type,
                                  reinterpret_cast<BYTE*>(&enabled), &bytes);
    PolicyHours result = PolicyHours::NotConfigured;
    if (found == ERROR_SUCCESS && type == REG_DWORD)
        result = enabled ? PolicyHours::Lines : PolicyHours::Always;
    char text[1024];
    if (result == PolicyHours::Lines) {
        int length = ReadText(key, L"HoursZone", text, sizeof text);
        if (length > 0)
            error.fault = SetHoursZone(schedule, text, length);
        else if (length == -1)
            error.fault = HoursFault::ZoneTooLong;
    }
    HKEY lines;
    if (result == PolicyHours::Lines && error.fault == HoursFault::None &&
        RegOpenKeyExW(key, L"Hours", 0, KEY_READ | KEY_WOW64_64KEY, &lines) == ERROR_SUCCESS) {
        // The list writes 1, 2, ... and nothing past the first gap.
        for (int line = 1; error.fault == HoursFault::None; ++line) {
            wchar_t name[16];
            wsprintfW(name, L"%d", line);
            int length = ReadText(lines, name, text, sizeof text);
            if (length == -2)
                break;
            error.line = line;
            error.fault = length < 0 ? HoursFault::LineTooLong
                                     : AddHoursLine(schedule, text, length);
        }
        RegCloseKey(lines);
    }
    RegCloseKey(key);
    if (error.fault != HoursFault::None)
        return PolicyHours::Refused;
    if (result == PolicyHours::Lines)
        error.line = 0;
    return result;
}
