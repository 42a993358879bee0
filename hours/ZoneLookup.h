#pragma once
// Where a zone's rules come from on Windows: the registry's description of a zone named
// by its key name, or the zone the system is set to.
#include "hours/ZoneRules.h"

// Reads HKLM\SOFTWARE\Microsoft\Windows NT\CurrentVersion\Time Zones\<keyName>: its TZI,
// and its Dynamic DST years if it has any. False when there is no such zone.
bool ReadNamedZone(const char* keyName, ZoneRules& zone);

// The system's own zone, with its years when the registry has them. keyName gets its
// key name (keyNameSize bytes, ASCII), empty if the system gives none.
bool ReadSystemZone(ZoneRules& zone, char* keyName, int keyNameSize);

// The system's clock in UTC seconds since 1601, as ZoneRules.h counts them.
int64_t SystemUtcNow();
