#include "hours/ZoneLookup.h"

#include "config/Decimal.h"

#include <windows.h>
#include <string.h>

namespace {

const wchar_t zonesKey[] = L"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\Time Zones\\";
const int keyPathSize = 256;

// A TZI value, or a year of Dynamic DST, is a REG_TZI_FORMAT: ZoneRule's layout.
bool ReadRule(HKEY key, const wchar_t* name, ZoneRule& rule)
{
    DWORD type = 0;
    DWORD size = sizeof rule;
    return RegQueryValueExW(key, name, NULL, &type, reinterpret_cast<BYTE*>(&rule), &size) == ERROR_SUCCESS &&
           type == REG_BINARY && size == sizeof rule;
}

bool ReadYear(HKEY key, const wchar_t* name, DWORD& year)
{
    DWORD type = 0;
    DWORD size = sizeof year;
    return RegQueryValueExW(key, name, NULL, &type, reinterpret_cast<BYTE*>(&year), &size) == ERROR_SUCCESS &&
           type == REG_DWORD;
}

// Years the key lacks take the year before's rule. Of more years than there is room for,
// the latest are kept: the hours are about now.
void ReadYears(HKEY zoneKey, ZoneRules& zone)
{
    zone.yearCount = 0;
    HKEY key = NULL;
    // The parent's view is not inherited: each open names it again.
    if (RegOpenKeyExW(zoneKey, L"Dynamic DST", 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return;
    DWORD first = 0;
    DWORD last = 0;
    if (ReadYear(key, L"FirstEntry", first) && ReadYear(key, L"LastEntry", last) && first <= last &&
        last < 10000) {
        if (last - first >= static_cast<DWORD>(zoneYearCapacity))
            first = last - zoneYearCapacity + 1;
        ZoneRule previous = zone.rule;
        for (DWORD year = first; year <= last; ++year) {
            // The year is the value's name.
            wchar_t name[decimalSize];
            WriteDecimal(year, name, 4);
            ZoneRule& rule = zone.years[zone.yearCount++];
            if (!ReadRule(key, name, rule))
                rule = previous;
            previous = rule;
        }
        zone.firstYear = static_cast<int>(first);
    }
    RegCloseKey(key);
}

void CopyDate(const SYSTEMTIME& from, ZoneDate& to)
{
    to.year = from.wYear;
    to.month = from.wMonth;
    to.dayOfWeek = from.wDayOfWeek;
    to.day = from.wDay;
    to.hour = from.wHour;
    to.minute = from.wMinute;
    to.second = from.wSecond;
    to.milliseconds = from.wMilliseconds;
}

}  // namespace

bool ReadNamedZone(const char* keyName, ZoneRules& zone)
{
    wchar_t path[keyPathSize];
    int at = lstrlenW(zonesKey);
    memcpy(path, zonesKey, static_cast<size_t>(at) * sizeof(wchar_t));
    // Key names are ASCII, which the hours' reader has made sure of.
    for (const char* c = keyName; *c != '\0' && at < keyPathSize - 1; ++c)
        path[at++] = static_cast<wchar_t>(static_cast<unsigned char>(*c));
    path[at] = L'\0';
    HKEY key = NULL;
    // The 64-bit view, which a 32-bit guard on 64-bit Windows would otherwise not see.
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS)
        return false;
    zone.firstYear = 0;
    zone.yearCount = 0;
    bool read = ReadRule(key, L"TZI", zone.rule);
    if (read)
        ReadYears(key, zone);
    RegCloseKey(key);
    return read;
}

bool ReadSystemZone(ZoneRules& zone, char* keyName, int keyNameSize)
{
    DYNAMIC_TIME_ZONE_INFORMATION system;
    if (keyNameSize > 0)
        keyName[0] = '\0';
    if (GetDynamicTimeZoneInformation(&system) == TIME_ZONE_ID_INVALID)
        return false;
    int length = 0;
    while (length < keyNameSize - 1 && system.TimeZoneKeyName[length] != L'\0' &&
           system.TimeZoneKeyName[length] < 0x80) {
        keyName[length] = static_cast<char>(system.TimeZoneKeyName[length]);
        ++length;
    }
    // A name cut short at a character no key name has could name another zone.
    if (system.TimeZoneKeyName[length] != L'\0')
        length = 0;
    if (keyNameSize > 0)
        keyName[length] = '\0';
    // With daylight time switched off the clock keeps standard time all year.
    if (!system.DynamicDaylightTimeDisabled && length > 0 && ReadNamedZone(keyName, zone))
        return true;
    zone.firstYear = 0;
    zone.yearCount = 0;
    zone.rule.bias = system.Bias;
    zone.rule.standardBias = system.StandardBias;
    zone.rule.daylightBias = system.DaylightBias;
    CopyDate(system.StandardDate, zone.rule.standardDate);
    CopyDate(system.DaylightDate, zone.rule.daylightDate);
    if (system.DynamicDaylightTimeDisabled)
        zone.rule.standardDate.month = zone.rule.daylightDate.month = 0;
    return true;
}

int64_t SystemUtcNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    uint64_t ticks = static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10000000);
}
