#pragma once
// The enforcement hours the guard would apply, as it chooses them (hours/HoursSource.h):
// hours.cfg beside the settings file, or the Group Policy, which replaces it when it is
// configured.
#include "hours/HoursSource.h"

#include <string>

struct HoursFound {
    HoursChosen hours;
    std::string filePath;    // hours.cfg's path, whether or not it exists
    bool fileReplaced;       // an hours.cfg the policy overrides
};

// hours.cfg's path for settingsPath: the same folder.
std::string HoursFilePath(const char* settingsPath);

void FindHours(const char* settingsPath, HoursFound& found);
