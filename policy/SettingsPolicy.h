#pragma once
// The settings by Group Policy or an MDM. The policy "Settings" writes, under
// HKLM\SOFTWARE\Policies\Pyxen, the value SettingsFromPolicy (1 enabled, 0 disabled) and
// the lines of a settings file as text values of the subkey Settings, taken in the
// order of their names read as numbers. Enabled, those lines are the settings file: the
// readers that read pyxen.cfg read them, as a file saved in UTF-16 that holds just these
// lines, so that every rule, keyword, cut and trap means what it means in the file and
// Japanese reaches the ANSI code page the way it would from such a file. Disabled or
// not configured, pyxen.cfg decides.
#include "policy/RegistryKey.h"

// The settings' name wherever the readers, the entries and the checker name a file.
const char settingsPolicyPath[] = "HKLM\\" PYXEN_POLICY_KEY "\\Settings";

enum class SettingsPolicyState {
    NotConfigured,  // no SettingsFromPolicy, or one that is no number: pyxen.cfg decides
    Disabled,       // 0: pyxen.cfg decides, as when not configured
    Enabled,        // text holds the lines
    Refused,        // enabled, but a value can't be a line: fault and faultName say which
};

enum class SettingsPolicyFault {
    None,
    NameNotNumber,  // a value whose name is not a number: where would its line go?
    NotText,        // a value that is not REG_SZ
    LineEnd,        // a line end or Ctrl-Z inside a value, which would make it other lines
    TooMuch,        // more values or text than the guard keeps
};

// The text: a byte order mark, then each line in UTF-16 LE with CR LF.
const int settingsPolicyTextSize = 2 + 2 * (keyTextCapacity + 2 * keyValueCapacity);

struct SettingsPolicy {
    SettingsPolicyState state;
    RegistryView view;  // where SettingsFromPolicy was found
    SettingsPolicyFault fault;
    char faultName[valueNameSize];
    int lineCount;
    char lineNames[keyValueCapacity][valueNameSize];  // the value that is line 1, 2, ...
    unsigned char text[settingsPolicyTextSize];
    int textLength;
};

inline bool PolicyDecides(const SettingsPolicy& policy)
{
    return policy.state == SettingsPolicyState::Enabled || policy.state == SettingsPolicyState::Refused;
}

// Reads the policy from the registry: the 64-bit view, then the 32-bit one, whichever
// has SettingsFromPolicy first.
void ReadSettingsPolicy(SettingsPolicy& policy);

// The same from the values of the policy's key and of its Settings subkey, found in view.
void SettingsFromValues(const RegistryKey& values, const RegistryKey& lines, RegistryView view,
                        SettingsPolicy& policy);

bool SameSettingsPolicy(const SettingsPolicy& a, const SettingsPolicy& b);

// While a policy is served, the readers open settingsPolicyPath as its text, and every
// other path as before; nullptr ends it.
void ServeSettingsPolicy(const SettingsPolicy* policy);

// The value a line of the text came from (line from 1), or "" for none.
const char* PolicyLineName(const SettingsPolicy& policy, int line);

// Why a policy was refused, in English, for the guard's record, which scripts read.
const wchar_t* SettingsPolicyFaultText(SettingsPolicyFault fault);
