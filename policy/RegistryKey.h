#pragma once
// The machine policy as the registry holds it: a key's values, each with its name, its
// type and its data, and nothing made of them yet. Only the Win32 side reads the
// registry (Win32RegistryKey.cpp); what the values mean is decided by the readers of
// each policy, the same code on every build. The native builds give values of their
// own: the guard's fake, and the checker's file of values.
#include <stdint.h>

// The policies' key below HKLM: a literal, so that the registry's calls take it wide
// and the checker's and the guard's texts spell it from the same letters.
#define PYXEN_POLICY_KEY "SOFTWARE\\Policies\\Pyxen"

// On 64-bit Windows a 32-bit program's writes to HKLM\SOFTWARE land in the 32-bit view
// (WOW6432Node) unless it asks for the other. A policy is looked for in the 64-bit view
// first, then in the 32-bit one; on 32-bit Windows both are the one registry.
enum class RegistryView { Native, Wow32 };

enum class ValueType {
    Text,    // REG_SZ or REG_EXPAND_SZ (not expanded): UTF-16 up to its first NUL
    Number,  // REG_DWORD
    Other,   // anything else: there, but no text and no number
};

// Room for a value's name in UTF-8; longer names are cut (and never numbers).
const int valueNameSize = 64;
// The values and text of one key that are kept; a key with more is marked overflow.
const int keyValueCapacity = 1024;
const int keyTextCapacity = 64 * 1024;

struct RegistryValue {
    char name[valueNameSize];
    bool nameCut;
    ValueType type;
    uint32_t number;
    int textAt;  // into the key's text, in UTF-16 units, without a NUL
    int textLength;
};

struct RegistryKey {
    bool present;   // the key could be opened
    bool overflow;  // values or text left out: more than fit
    int count;
    RegistryValue values[keyValueCapacity];
    uint16_t text[keyTextCapacity];
    int textUsed;
};

// The seam: the values of HKLM\path (ASCII) in view, in the registry's order. A key that
// can't be opened is not present and has none.
void ReadRegistryKey(RegistryView view, const char* path, RegistryKey& key);

// The product's policy key and its subkey, from the view that holds switchName: the
// 64-bit one, or else the 32-bit one, where an MDM may have written it. Both keys come
// from the same view, which is returned.
RegistryView ReadPolicyKeys(const char* switchName, const char* subkey, RegistryKey& values,
                            RegistryKey& lines);

// What ReadRegistryKey and the fakes fill a key with.
void ClearRegistryKey(RegistryKey& key, bool present);
void AddTextValue(RegistryKey& key, const char* name, const uint16_t* text, int length);
void AddNumberValue(RegistryKey& key, const char* name, uint32_t number);
void AddOtherValue(RegistryKey& key, const char* name);

// The value named so, as the registry matches names (ASCII letters in either case), or
// nullptr.
const RegistryValue* FindValue(const RegistryKey& key, const char* name);

inline const uint16_t* ValueText(const RegistryKey& key, const RegistryValue& value)
{
    return key.text + value.textAt;
}

// The values in the order of their names read as numbers (1, 2, ... 10, as Group
// Policy's list names them; "01" is 1), equal numbers in the order of their names.
// Fills order with the values' indexes and returns -1, or returns the index of the
// first value whose name is not a number (digits alone, at most nine of them).
int OrderByNumber(const RegistryKey& key, int* order);
