#pragma once
// The enforcement hours the guard would apply: hours.cfg beside the settings file, or on
// Windows the Group Policy, which replaces it when it is configured.
#include "hours/HoursFile.h"

#include <string>

enum class HoursOrigin {
    None,            // no hours.cfg, no policy: enforcing always
    File,            // hours.cfg
    Policy,          // the policy, enabled
    PolicyDisabled,  // enforcing always, whatever hours.cfg says
};

struct HoursFound {
    HoursOrigin origin;
    bool refused;            // error says which line and why
    HoursError error;
    HoursSchedule schedule;
    std::string filePath;    // hours.cfg's path, whether or not it exists
    bool fileReplaced;       // an hours.cfg the policy overrides
};

// hours.cfg's path for settingsPath: the same folder.
std::string HoursFilePath(const char* settingsPath);

void FindHours(const char* settingsPath, HoursFound& found);
