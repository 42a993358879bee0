#include "tools/pyxen-check/Report.h"

#include "config/Settings.h"
#include "rules/Rule.h"
#include "tools/pyxen-check/Findings.h"
#include "tools/pyxen-check/Text.h"

#include <stdio.h>

const char* MethodLabel(int method)
{
    static char label[32];
    switch (method) {
    case Exact:
        return "0 Exact";
    case Contains:
        return "1 Contains";
    case Differs:
        return "2 Differs";
    }
    snprintf(label, sizeof label, "%d never matches", method);
    return label;
}

void PrintReport(const char* path)
{
    printf("settings %s\n", path);
    if (intervalOrigin.line > 0)
        printf("interval %d ms, from %s:%d\n", interval, intervalOrigin.path.c_str(),
               intervalOrigin.line);
    else
        printf("interval %d ms, default 5000\n", interval);
    printf("rules %d\n", lastRule + 1);
    for (int i = 0; i <= lastRule; ++i)
        printf("%5d  %-18s \"%s\"  %s:%d\n", i, MethodLabel(rules[i].method),
               Escaped(rules[i].name).c_str(), ruleOrigins[i].path.c_str(), ruleOrigins[i].line);
}

void PrintWarnings()
{
    printf("warnings %d\n", static_cast<int>(warnings.size()));
    for (const Warning& warning : warnings) {
        if (warning.at.line > 0)
            printf("%s:%d: %s\n", warning.at.path.c_str(), warning.at.line, warning.text.c_str());
        else
            printf("%s: %s\n", warning.at.path.c_str(), warning.text.c_str());
    }
}
