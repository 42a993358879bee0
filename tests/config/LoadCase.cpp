#include "LoadCase.h"

#include "config/ConfigObserver.h"
#include "config/Settings.h"
#include "platform/FakeDesktop.h"
#include "rules/Rule.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string.h>

namespace fs = std::filesystem;

ScratchDirectory::ScratchDirectory()
{
    std::string pattern = (fs::temp_directory_path() / "pyxen-config-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        std::abort();
    path = pattern;
    previous = fs::current_path();
    fs::current_path(path);
}

ScratchDirectory::~ScratchDirectory()
{
    fs::current_path(previous);
    fs::remove_all(path);
}

Outcome LoadAndCapture(const std::string& path, const CaseCall& call)
{
    Outcome outcome;
    outcome.result = call.programList ? LoadProgramList(path.c_str(), call.last, call.method)
                                      : LoadSettings(path.c_str());
    outcome.interval = interval;
    int first = call.programList ? call.last + 1 : 0;
    for (int i = 0; i < ruleCapacity; ++i) {
        const Rule& rule = rules[i];
        if (i >= first && i <= outcome.result) {
            // A name must end within its buffer; strnlen keeps a missing NUL visible.
            size_t length = strnlen(rule.name, nameSize);
            EXPECT_LT(length, static_cast<size_t>(nameSize)) << "rule " << i << " has no NUL";
            outcome.rules.push_back({i, rule.method, std::string(rule.name, length)});
        } else {
            EXPECT_TRUE(IsUntouched(rule))
                << "rule " << i << " was written outside the range " << first << ".." << outcome.result;
        }
    }
    for (const ErrorBox& box : FakeErrorBoxes())
        outcome.boxes.push_back({ToUtf8(box.caption), ToUtf8(box.text), box.path});
    return outcome;
}
