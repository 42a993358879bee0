#include "check/Findings.h"

Origin ruleOrigins[ruleCapacity];
Origin intervalOrigin = {"", 0};
std::vector<Warning> warnings;
bool settingsUnreadable;

void AddWarning(const Origin& at, const std::string& text, bool aboutInterval)
{
    warnings.push_back(Warning{at, text, aboutInterval});
}
