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

inline void ResetReaders()
{
    interval = 5000;
    configObserver = nullptr;
    FakeReset();
    for (Rule& rule : rules) {
        rule.SetMethod(untouchedMethod);
        rule.SetName(untouchedName);
    }
}

inline bool IsUntouched(const Rule& rule)
{
    return rule.method == untouchedMethod && strcmp(rule.name, untouchedName) == 0;
}
