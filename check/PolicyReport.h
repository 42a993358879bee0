#pragma once
// The settings by policy, as the guard takes them (policy/SettingsPolicy.h), and what the
// guard recorded of its last attempt to apply settings (guard/SettingsOutcome.h).
#include "check/Findings.h"
#include "policy/SettingsPolicy.h"

#include <string>

// The policy, when it decides; nullptr when pyxen.cfg does.
extern const SettingsPolicy* checkedPolicy;

// Reads the policy: true when it decides, and the readers then open its lines as the
// settings file (settingsPolicyPath).
bool TakeSettingsPolicy(const char* filePath);

// A line's place as the report gives it: "file:line", or for the policy's lines the
// value each came from ("...\Settings\2").
std::string Where(const Origin& at);

// Says that the policy decides and where it was found, and warns of one refused whole,
// which has no lines to check.
void PrintSettingsPolicy();

// What the guard recorded, when it recorded anything; a refused last attempt is a
// warning.
void PrintOutcome();
