// The Linux build has no registry: the values it would hold come from the file that
// PYXEN_CHECK_REGISTRY names, if any, so that the cases show the policy and the guard's
// record as Windows would give them. One item a line, in UTF-8:
//   [64 SOFTWARE\Policies\Pyxen]     a key in a view (64 or 32), below HKLM
//   SettingsFromPolicy=dword:1       a REG_DWORD
//   1=ソリティア                      a REG_SZ: everything after the first '='
#include "policy/RegistryKey.h"

#include "config/Utf8.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

// UTF-8 into UTF-16; a stray byte stands for itself.
int Widen(const char* text, uint16_t* units, int capacity)
{
    int count = 0;
    for (const unsigned char* at = reinterpret_cast<const unsigned char*>(text); *at && count + 2 <= capacity;) {
        int extra = *at >= 0xF0 ? 3 : *at >= 0xE0 ? 2 : *at >= 0xC0 ? 1 : 0;
        long code = extra ? *at & (0x3F >> extra) : *at;
        ++at;
        for (int k = 0; k < extra && (*at & 0xC0) == 0x80; ++k, ++at)
            code = (code << 6) | (*at & 0x3F);
        count += EncodeUtf16(code, units + count);
    }
    return count;
}

}  // namespace

void ReadRegistryKey(RegistryView view, const char* path, RegistryKey& key)
{
    ClearRegistryKey(key, false);
    const char* name = getenv("PYXEN_CHECK_REGISTRY");
    FILE* file = name ? fopen(name, "rb") : nullptr;
    if (!file)
        return;
    char wanted[300];
    snprintf(wanted, sizeof wanted, "[%s %s]", view == RegistryView::Native ? "64" : "32", path);
    static char line[4096];
    static uint16_t units[4096];
    bool inKey = false;
    while (fgets(line, sizeof line, file)) {
        line[strcspn(line, "\r\n")] = '\0';
        if (line[0] == '[') {
            inKey = strcmp(line, wanted) == 0;
            key.present = key.present || inKey;
            continue;
        }
        char* equals = strchr(line, '=');
        if (!inKey || !equals)
            continue;
        *equals = '\0';
        const char* value = equals + 1;
        if (strncmp(value, "dword:", 6) == 0)
            AddNumberValue(key, line, static_cast<uint32_t>(strtoul(value + 6, nullptr, 0)));
        else
            AddTextValue(key, line, units, Widen(value, units, 4096));
    }
    fclose(file);
}
