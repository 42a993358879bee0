// The registry's values as they are: names, types and data, nothing parsed. The view is
// named on every open, so that a 32-bit build on 64-bit Windows reads the view asked
// for, not the one WOW64 would give it.
#include "policy/RegistryKey.h"

#include <windows.h>

namespace {

// A value's name may be 16383 characters long; its data here at most the key's text.
wchar_t name[16384];
BYTE data[keyTextCapacity * sizeof(wchar_t)];

void NameAsUtf8(const wchar_t* wide, DWORD length, char* out)
{
    int written = WideCharToMultiByte(CP_UTF8, 0, wide, static_cast<int>(length), out,
                                      valueNameSize - 1, NULL, NULL);
    // A name longer than the room is cut to a name that can't be a number.
    if (written <= 0 && length > 0) {
        lstrcpyA(out, "?");
        written = 1;
    }
    out[written] = '\0';
}

}  // namespace

void ReadRegistryKey(RegistryView view, const char* path, RegistryKey& key)
{
    ClearRegistryKey(key, false);
    wchar_t widePath[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, path, -1, widePath, MAX_PATH) <= 0)
        return;
    REGSAM access = KEY_READ | (view == RegistryView::Native ? KEY_WOW64_64KEY : KEY_WOW64_32KEY);
    HKEY opened = NULL;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, widePath, 0, access, &opened) != ERROR_SUCCESS)
        return;
    key.present = true;
    for (DWORD index = 0;; ++index) {
        DWORD nameLength = sizeof name / sizeof name[0];
        DWORD type = 0;
        DWORD bytes = sizeof data;
        LONG status = RegEnumValueW(opened, index, name, &nameLength, NULL, &type, data, &bytes);
        if (status == ERROR_NO_MORE_ITEMS)
            break;
        if (status == ERROR_MORE_DATA) {
            key.overflow = true;
            continue;
        }
        if (status != ERROR_SUCCESS)
            break;
        char utf8[valueNameSize * 2];
        NameAsUtf8(name, nameLength, utf8);
        // A name cut by the conversion's room keeps a mark that it was cut.
        if (nameLength >= valueNameSize)
            lstrcatA(utf8, "?");
        if (type == REG_SZ || type == REG_EXPAND_SZ) {
            const uint16_t* units = reinterpret_cast<const uint16_t*>(data);
            int count = static_cast<int>(bytes / sizeof(uint16_t));
            int length = 0;
            while (length < count && units[length] != 0)
                ++length;
            AddTextValue(key, utf8, units, length);
        } else if (type == REG_DWORD && bytes == sizeof(DWORD)) {
            DWORD number = 0;
            CopyMemory(&number, data, sizeof number);
            AddNumberValue(key, utf8, number);
        } else {
            AddOtherValue(key, utf8);
        }
    }
    RegCloseKey(opened);
}
