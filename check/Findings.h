#pragma once
#include "rules/Rule.h"

#include <string>
#include <vector>

// What the checker learns while the readers load a settings file: data only, filled by
// the dispatch of the readers' events and by the checks, read by the report.

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

void AddWarning(const Origin& at, const std::string& text, bool aboutInterval = false);
