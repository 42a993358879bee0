// Apart from the rest, so that what only turns values into settings links without a
// registry.
#include "policy/SettingsPolicy.h"

void ReadSettingsPolicy(SettingsPolicy& policy)
{
    static RegistryKey values;
    static RegistryKey lines;
    RegistryView view = RegistryView::Native;
    ReadRegistryKey(view, PYXEN_POLICY_KEY, values);
    if (!FindValue(values, "SettingsFromPolicy")) {
        view = RegistryView::Wow32;
        ReadRegistryKey(view, PYXEN_POLICY_KEY, values);
    }
    ReadRegistryKey(view, PYXEN_POLICY_KEY "\\Settings", lines);
    SettingsFromValues(values, lines, view, policy);
}
