#pragma once
// Enforcement hours set by Group Policy, as the template writes them under
// HKLM\SOFTWARE\Policies\Pyxen: EnforcementHours 1 (enabled) or 0 (disabled), the lines
// as values 1, 2, ... of the subkey Hours, and the zone as the text value HoursZone.
#include "hours/HoursFile.h"

// The policy's key below HKLM: a literal, so that the registry's calls take it wide
// and the checker's and the guard's texts spell it from the same letters.
#define PYXEN_POLICY_KEY "SOFTWARE\\Policies\\Pyxen"

// Where the policy is, as an administrator finds it in the registry.
const char hoursPolicyKey[] = "HKLM\\" PYXEN_POLICY_KEY;
const char hoursPolicyLines[] = "HKLM\\" PYXEN_POLICY_KEY "\\Hours";
const char hoursPolicyZone[] = "HKLM\\" PYXEN_POLICY_KEY "\\HoursZone";
const wchar_t hoursPolicyKeyWide[] = L"HKLM\\" PYXEN_POLICY_KEY;

enum class PolicyHours {
    NotConfigured,  // hours.cfg decides
    Always,         // disabled: enforcing always, whatever hours.cfg says
    Lines,          // enabled: schedule holds its lines and zone, in place of hours.cfg
    Refused,        // enabled, but error says which value and why: none of it applies
};

// error.line is the number of the value that was refused, or 0 for HoursZone. Like
// ReadHoursFile, it overwrites schedule whatever it finds.
PolicyHours ReadHoursPolicy(HoursSchedule& schedule, HoursError& error);
