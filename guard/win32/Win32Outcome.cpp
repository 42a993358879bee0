// The outcome of each attempt to apply settings, as values of the product's own key.
#include "guard/GuardSystem.h"
#include "guard/SettingsOutcome.h"

#include <windows.h>

void RecordSettingsOutcome(const OutcomeValue* values, int count)
{
    HKEY key = NULL;
    // The 64-bit view, where a script in either PowerShell finds it by asking for it.
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, L"" PYXEN_OUTCOME_KEY, 0, NULL, 0,
                        KEY_SET_VALUE | KEY_WOW64_64KEY, NULL, &key, NULL) != ERROR_SUCCESS)
        return;
    for (int i = 0; i < count; ++i) {
        wchar_t name[32];
        if (MultiByteToWideChar(CP_ACP, 0, values[i].name, -1, name, 32) <= 0)
            continue;
        if (values[i].text) {
            DWORD bytes = static_cast<DWORD>((lstrlenW(values[i].text) + 1) * sizeof(wchar_t));
            RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(values[i].text), bytes);
        } else {
            DWORD number = values[i].number;
            RegSetValueExW(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);
        }
    }
    RegCloseKey(key);
}
