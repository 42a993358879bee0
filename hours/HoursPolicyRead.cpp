// Apart from the rest, so that what only turns values into hours links without a
// registry.
#include "hours/HoursPolicy.h"

PolicyHours ReadHoursPolicy(HoursSchedule& schedule, HoursError& error)
{
    static RegistryKey policy;
    static RegistryKey lines;
    ReadPolicyKeys("EnforcementHours", "Hours", policy, lines);
    return HoursFromValues(policy, lines, schedule, error);
}
