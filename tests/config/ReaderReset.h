#pragma once
// Puts everything the readers touch back as at start-up, and marks every rule with a
// value the readers never write, so that a rule written outside the range they report
// shows up. Shared by the unit tests and the fuzzer.
#include "config/ConfigObserver.h"
#include "config/Settings.h"
#include "platform/FakeDesktop.h"
#include "rules/Rule.h"

#include <string.h>

const char untouchedName[] = "\x7F(untouched)";
const int untouchedMethod = -7777;

// The whole table as a reset leaves it, every byte known, so that the fuzzer can
// restore it and compare against it in one step each run.
inline const Rule* UntouchedTable()
{
    static Rule table[ruleCapacity];
    static bool made = false;
    if (!made) {
        memset(static_cast<void*>(table), 0, sizeof table);
        for (Rule& rule : table) {
            rule.SetMethod(untouchedMethod);
            rule.SetName(untouchedName);
        }
        made = true;
    }
    return table;
}

inline void ResetReaders()
{
    interval = 5000;
    configObserver = nullptr;
    FakeReset();
    memcpy(static_cast<void*>(rules), UntouchedTable(), sizeof rules);
}

inline bool IsUntouched(const Rule& rule)
{
    return rule.method == untouchedMethod && strcmp(rule.name, untouchedName) == 0;
}
