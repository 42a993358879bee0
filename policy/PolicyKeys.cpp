// Apart from the rest, so that what only turns values into settings or hours links
// without a registry.
#include "policy/RegistryKey.h"

#include <stdio.h>

RegistryView ReadPolicyKeys(const char* switchName, const char* subkey, RegistryKey& values,
                            RegistryKey& lines)
{
    RegistryView view = RegistryView::Native;
    ReadRegistryKey(view, PYXEN_POLICY_KEY, values);
    if (!FindValue(values, switchName)) {
        view = RegistryView::Wow32;
        ReadRegistryKey(view, PYXEN_POLICY_KEY, values);
    }
    char path[sizeof PYXEN_POLICY_KEY + 64];
    snprintf(path, sizeof path, "%s\\%s", PYXEN_POLICY_KEY, subkey);
    ReadRegistryKey(view, path, lines);
    return view;
}
