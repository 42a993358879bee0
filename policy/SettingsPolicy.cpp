#include "policy/SettingsPolicy.h"

#include "config/LineReader.h"
#include "policy/MemoryFile.h"

#include <stdio.h>
#include <string.h>

namespace {

void Refuse(SettingsPolicy& policy, SettingsPolicyFault fault, const char* name)
{
    policy.state = SettingsPolicyState::Refused;
    policy.fault = fault;
    snprintf(policy.faultName, valueNameSize, "%s", name);
}

void AppendUnit(SettingsPolicy& policy, uint16_t unit)
{
    policy.text[policy.textLength++] = static_cast<unsigned char>(unit & 0xFF);
    policy.text[policy.textLength++] = static_cast<unsigned char>(unit >> 8);
}

// A value is one line: a line end would split it, and Ctrl-Z would end the settings
// there, in the file as here, and number the lines after it wrong.
bool HoldsLineEnd(const uint16_t* units, int length)
{
    for (int i = 0; i < length; ++i)
        if (units[i] == '\n' || units[i] == 0x1A)
            return true;
    return false;
}

const SettingsPolicy* served;
FILE* (*openBefore)(const char* path);

FILE* OpenServed(const char* path)
{
    if (served && strcmp(path, settingsPolicyPath) == 0)
        return OpenBytes(served->text, served->textLength);
    return openBefore(path);
}

}  // namespace

void SettingsFromValues(const RegistryKey& values, const RegistryKey& lines, RegistryView view,
                        SettingsPolicy& policy)
{
    policy.state = SettingsPolicyState::NotConfigured;
    policy.view = view;
    policy.fault = SettingsPolicyFault::None;
    policy.faultName[0] = '\0';
    policy.lineCount = 0;
    policy.textLength = 0;
    const RegistryValue* from = FindValue(values, "SettingsFromPolicy");
    if (!from || from->type != ValueType::Number)
        return;
    if (from->number == 0) {
        policy.state = SettingsPolicyState::Disabled;
        return;
    }
    policy.state = SettingsPolicyState::Enabled;
    AppendUnit(policy, 0xFEFF);
    static int order[keyValueCapacity];
    if (lines.overflow) {
        Refuse(policy, SettingsPolicyFault::TooMuch, "");
        return;
    }
    int notNumber = OrderByNumber(lines, order);
    if (notNumber >= 0) {
        Refuse(policy, SettingsPolicyFault::NameNotNumber, lines.values[notNumber].name);
        return;
    }
    for (int i = 0; i < lines.count; ++i) {
        const RegistryValue& value = lines.values[order[i]];
        const uint16_t* units = ValueText(lines, value);
        if (value.type != ValueType::Text || HoldsLineEnd(units, value.textLength)) {
            Refuse(policy, value.type != ValueType::Text ? SettingsPolicyFault::NotText
                                                         : SettingsPolicyFault::LineEnd,
                   value.name);
            return;
        }
        for (int unit = 0; unit < value.textLength; ++unit)
            AppendUnit(policy, units[unit]);
        AppendUnit(policy, '\r');
        AppendUnit(policy, '\n');
        snprintf(policy.lineNames[policy.lineCount++], valueNameSize, "%s", value.name);
    }
}

bool SameSettingsPolicy(const SettingsPolicy& a, const SettingsPolicy& b)
{
    if (a.state != b.state || a.view != b.view || a.fault != b.fault ||
        strcmp(a.faultName, b.faultName) != 0 || a.lineCount != b.lineCount ||
        a.textLength != b.textLength || memcmp(a.text, b.text, static_cast<size_t>(a.textLength)) != 0)
        return false;
    for (int i = 0; i < a.lineCount; ++i)
        if (strcmp(a.lineNames[i], b.lineNames[i]) != 0)
            return false;
    return true;
}

void ServeSettingsPolicy(const SettingsPolicy* policy)
{
    if (policy && !served) {
        openBefore = openConfigFile;
        openConfigFile = OpenServed;
    } else if (!policy && served) {
        openConfigFile = openBefore;
    }
    served = policy;
}

const char* PolicyLineName(const SettingsPolicy& policy, int line)
{
    return line >= 1 && line <= policy.lineCount ? policy.lineNames[line - 1] : "";
}

const wchar_t* SettingsPolicyFaultText(SettingsPolicyFault fault)
{
    switch (fault) {
    case SettingsPolicyFault::None:
        break;
    case SettingsPolicyFault::NameNotNumber:
        return L"the value's name is not a number";
    case SettingsPolicyFault::NotText:
        return L"the value is not a text (REG_SZ)";
    case SettingsPolicyFault::LineEnd:
        return L"the value holds a line end or Ctrl-Z";
    case SettingsPolicyFault::TooMuch:
        return L"more values or text than the guard keeps";
    }
    return L"";
}
