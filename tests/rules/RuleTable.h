#pragma once
// Shared set-up for the rule tests: an empty table and an empty desktop per test.
#include "platform/FakeDesktop.h"
#include "rules/PendingCloses.h"
#include "rules/Sweep.h"

#include <gtest/gtest.h>

#include <string>

// An empty desktop, and nothing left of the requests sent to the last one.
inline void FreshDesktop()
{
    FakeReset();
    ResetCloseRequests();
}

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

// What a rule means, said the plain way: the title as read (its first 249 bytes)
// against the name, with std::string doing the work.
inline bool ReferenceMatch(const std::string& name, int method, const std::string& title)
{
    std::string seen = title.substr(0, titleSize - 1);
    switch (method) {
    case Exact:
        return seen == name;
    case Contains:
        return seen.find(name) != std::string::npos;
    case Differs:
        return seen != name;
    default:
        return false;
    }
}

class RuleTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ClearRules();
        FreshDesktop();
    }
    void TearDown() override
    {
        ClearRules();
        FreshDesktop();
    }
};
