#pragma once
#include "config/ConfigObserver.h"
#include "rules/Rule.h"

#include <string>
#include <vector>

// What the checker learns while the readers load a settings file.

// A file and a line number; line 0 means the file as a whole.
struct Origin {
    std::string path;
    int line;
};

struct Warning {
    Origin at;
    std::string text;
    bool aboutInterval;  // only the interval that is finally used is warned about
};

extern Origin ruleOrigins[ruleCapacity];
extern Origin intervalOrigin;  // line 0 while the default stands
extern std::vector<Warning> warnings;
extern bool settingsUnreadable;

// Set as configObserver before LoadSettings.
void RecordConfigEvent(ConfigEvent event, const ConfigLine& line, int value);

void AddWarning(const Origin& at, const std::string& text, bool aboutInterval = false);
