// Apart from the rest, so that what only turns values into settings links without a
// registry.
#include "policy/SettingsPolicy.h"

void ReadSettingsPolicy(SettingsPolicy& policy)
{
    static RegistryKey values;
    static RegistryKey lines;
    RegistryView view = ReadPolicyKeys("SettingsFromPolicy", "Settings", values, lines);
    SettingsFromValues(values, lines, view, policy);
}
