#pragma once
// Shared set-up for the rule tests: an empty table and an empty desktop per test.
#include "platform/FakeDesktop.h"
#include "rules/Sweep.h"

#include <gtest/gtest.h>

#include <string>

inline void ClearRules()
{
    for (Rule& rule : rules) {
        rule.SetMethod(0);
        rule.SetName("");
    }
    lastRule = -1;
}

// Appends a rule the way the readers do: method first, then name.
inline void AddRule(const std::string& name, int method)
{
    ASSERT_LT(name.size(), static_cast<size_t>(nameSize));
    ++lastRule;
    rules[lastRule].SetMethod(method);
    rules[lastRule].SetName(name.c_str());
}

class RuleTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearRules();
        FakeReset();
    }
    void TearDown() override
    {
        ClearRules();
        FakeReset();
    }
};
