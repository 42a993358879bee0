#pragma once
// Enforcement hours set by Group Policy, as the template writes them under
// HKLM\SOFTWARE\Policies\Pyxen: EnforcementHours 1 (enabled) or 0 (disabled), the lines
// as values 1, 2, ... of the subkey Hours, and the zone as the text value HoursZone.
// The registry gives its values as they are (policy/RegistryKey.h); what they mean is
// decided here, on every build.
#include "hours/HoursFile.h"
#include "policy/RegistryKey.h"

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

// Reads the policy from the registry, the 64-bit view first: the view whose key holds
// EnforcementHours gives all of it. error.line is the name (a number) of the value
// refused, or 0 for HoursZone and for a value whose name is no number. Like
// ReadHoursFile, it overwrites schedule whatever it finds.
PolicyHours ReadHoursPolicy(HoursSchedule& schedule, HoursError& error);

// The same from the values of the policy's key and of its Hours subkey.
PolicyHours HoursFromValues(const RegistryKey& policy, const RegistryKey& lines,
                            HoursSchedule& schedule, HoursError& error);
