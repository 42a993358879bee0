// Apart from the rest, so that what only turns values into hours links without a
// registry.
#include "hours/HoursPolicy.h"

PolicyHours ReadHoursPolicy(HoursSchedule& schedule, HoursError& error)
{
    static RegistryKey policy;
    static RegistryKey lines;
    RegistryView view = RegistryView::Native;
    ReadRegistryKey(view, PYXEN_POLICY_KEY, policy);
    if (!FindValue(policy, "EnforcementHours")) {
        view = RegistryView::Wow32;
        ReadRegistryKey(view, PYXEN_POLICY_KEY, policy);
    }
    ReadRegistryKey(view, PYXEN_POLICY_KEY "\\Hours", lines);
    return HoursFromValues(policy, lines, schedule, error);
}
