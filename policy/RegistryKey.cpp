#include "policy/RegistryKey.h"

#include <stdio.h>
#include <string.h>

namespace {

RegistryValue* NewValue(RegistryKey& key, const char* name)
{
    if (key.count >= keyValueCapacity) {
        key.overflow = true;
        return nullptr;
    }
    RegistryValue& value = key.values[key.count++];
    memset(&value, 0, sizeof value);
    int length = snprintf(value.name, valueNameSize, "%s", name);
    value.nameCut = length >= valueNameSize;
    return &value;
}

char Lower(char c)
{
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameName(const char* a, const char* b)
{
    for (; *a && *b; ++a, ++b)
        if (Lower(*a) != Lower(*b))
            return false;
    return *a == *b;
}

// The name read as a number, or -1.
long NameNumber(const RegistryValue& value)
{
    int length = static_cast<int>(strlen(value.name));
    if (value.nameCut || length == 0 || length > 9)
        return -1;
    long number = 0;
    for (int i = 0; i < length; ++i) {
        if (value.name[i] < '0' || value.name[i] > '9')
            return -1;
        number = number * 10 + (value.name[i] - '0');
    }
    return number;
}

bool Before(const RegistryValue& a, long aNumber, const RegistryValue& b, long bNumber)
{
    return aNumber != bNumber ? aNumber < bNumber : strcmp(a.name, b.name) < 0;
}

}  // namespace

void ClearRegistryKey(RegistryKey& key, bool present)
{
    key.present = present;
    key.overflow = false;
    key.count = 0;
    key.textUsed = 0;
}

void AddTextValue(RegistryKey& key, const char* name, const uint16_t* text, int length)
{
    if (length > keyTextCapacity - key.textUsed) {
        key.overflow = true;
        return;
    }
    RegistryValue* value = NewValue(key, name);
    if (!value)
        return;
    value->type = ValueType::Text;
    value->textAt = key.textUsed;
    value->textLength = length;
    memcpy(key.text + key.textUsed, text, sizeof(uint16_t) * static_cast<size_t>(length));
    key.textUsed += length;
}

void AddNumberValue(RegistryKey& key, const char* name, uint32_t number)
{
    if (RegistryValue* value = NewValue(key, name)) {
        value->type = ValueType::Number;
        value->number = number;
    }
}

void AddOtherValue(RegistryKey& key, const char* name)
{
    if (RegistryValue* value = NewValue(key, name))
        value->type = ValueType::Other;
}

const RegistryValue* FindValue(const RegistryKey& key, const char* name)
{
    for (int i = 0; i < key.count; ++i)
        if (SameName(key.values[i].name, name))
            return &key.values[i];
    return nullptr;
}

int OrderByNumber(const RegistryKey& key, int* order)
{
    static long numbers[keyValueCapacity];
    for (int i = 0; i < key.count; ++i) {
        numbers[i] = NameNumber(key.values[i]);
        if (numbers[i] < 0)
            return i;
    }
    // An insertion sort: a list is short, and mostly in order already.
    for (int i = 0; i < key.count; ++i) {
        int j = i;
        for (; j > 0 && Before(key.values[i], numbers[i], key.values[order[j - 1]], numbers[order[j - 1]]); --j)
            order[j] = order[j - 1];
        order[j] = i;
    }
    return -1;
}
