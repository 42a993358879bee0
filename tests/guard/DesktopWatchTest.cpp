#include "desktops/DesktopReport.h"
#include "desktops/DesktopWatch.h"

#include <gtest/gtest.h>

#include <string.h>
#include <wchar.h>

#include <string>
#include <vector>

namespace {

TEST(DesktopReportTest, AnyNameGoesThroughAndNoLineCanBeForged)
{
    const wchar_t* names[] = {L"Lab", L"x\ndesktop Default", L"100% \x30C7\x30B9\x30AF", L"a\tb"};
    char report[desktopReportSize];
    int length = 0;
    for (const wchar_t* name : names)
        ASSERT_TRUE(AppendDesktopLine(report, length, desktopReportSize, DesktopLineKind::Shut, name));
    ASSERT_TRUE(AppendDesktopLine(report, length, desktopReportSize, DesktopLineKind::End, nullptr));
    EXPECT_EQ(std::string(report, 4), "shut");
    const char* at = report;
    DesktopLine line;
    for (const wchar_t* name : names) {
        ASSERT_TRUE(ReadDesktopLine(at, report + length, line));
        EXPECT_EQ(std::wstring(line.name), name);
    }
    ASSERT_TRUE(ReadDesktopLine(at, report + length, line));
    EXPECT_EQ(line.kind, DesktopLineKind::End);
    EXPECT_FALSE(ReadDesktopLine(at, report + length, line));

    int full = 0;
    EXPECT_FALSE(AppendDesktopLine(report, full, 6, DesktopLineKind::Desktop, L"Lab"));
    EXPECT_FALSE(AppendDesktopLine(report, full, desktopReportSize, DesktopLineKind::Shut, L""));
    EXPECT_EQ(full, 0);
    for (const char* bad : {"desktop\n", "desktop \n", "desk Lab\n", "desktop a%00\n", "desktop %0041\n",
                            "desktop a b\n", "end x\n", "desktop %0000\n", "desktop Lab"}) {
        const char* from = bad;
        EXPECT_FALSE(ReadDesktopLine(from, bad + strlen(bad), line)) << bad;
        EXPECT_EQ(from, bad + strlen(bad)) << bad;
    }
}

TEST(DesktopWatchTest, OnlyAPyxenOfTheWatchsAccountLeavesADesktopOutOfUse)
{
    DesktopWindow pyxen[] = {{10, true, true}, {10, false, true}};  // host and IME window
    EXPECT_FALSE(DesktopInUse(pyxen, 2));
    EXPECT_FALSE(DesktopInUse(pyxen, 0));
    DesktopWindow user[] = {{10, true, true}, {11, true, false}};  // a user's class "Pyxen"
    EXPECT_TRUE(DesktopInUse(user, 2));
    DesktopWindow system[] = {{12, false, true}};  // SYSTEM, but no Pyxen
    EXPECT_TRUE(DesktopInUse(system, 1));
}

DesktopFacts Desktop(const wchar_t* name, bool opened = true, bool systemOwned = false,
                     bool inUse = true)
{
    DesktopFacts facts = {};
    wcsncpy(facts.name, name, desktopNameSize - 1);
    facts.nameFits = true;
    facts.opened = opened;
    facts.systemOwned = systemOwned;
    facts.inUse = inUse;
    return facts;
}

InputFacts Input(InputState state, const wchar_t* name = L"", bool systemOwned = false)
{
    InputFacts input = {};
    input.state = state;
    wcsncpy(input.name, name, desktopNameSize - 1);
    input.systemOwned = systemOwned;
    return input;
}

struct Look {
    std::vector<DesktopFacts> desktops;
    InputFacts input;
    std::string report;  // "" when nothing is written
    bool switchInput;
};

TEST(DesktopWatchTest, LooksInARow)
{
    DesktopFacts tooLong = Desktop(L"Long");
    tooLong.nameFits = false;
    std::vector<DesktopFacts> many;
    for (int i = 0; i <= desktopsPerSession; ++i)
        many.push_back(Desktop(std::to_wstring(i).c_str()));
    std::vector<DesktopFacts> lastTaken = many;
    lastTaken.erase(lastTaken.begin());
    const InputFacts none = Input(InputState::Named, L"Default");
    const Look looks[] = {
        // The system's own, by owner and not by name; Default; one with nothing on it.
        {{Desktop(L"Default"), Desktop(L"Winlogon", true, true), Desktop(L"Screen-saver"),
          Desktop(L"Disconnect", true, true), Desktop(L"Empty", true, false, false)},
         none, "desktop Screen-saver\nend\n", false},
        {{Desktop(L"Default"), Desktop(L"Screen-saver")}, none, "", false},
        {{Desktop(L"DEFAULT")}, none, "end\n", false},
        // Shut: told once; the input that can't be opened goes back, told once.
        {{Desktop(L"Default"), Desktop(L"Shut", false)}, none, "shut Shut\nend\n", false},
        {{Desktop(L"Default"), Desktop(L"Shut", false)}, Input(InputState::Shut), "switched Shut\nend\n", true},
        {{Desktop(L"Default"), Desktop(L"Shut", false)}, Input(InputState::Shut), "", true},
        // The secure desktop is no refused one, whatever else is.
        {{Desktop(L"Winlogon", true, true), Desktop(L"Shut", false)},
         Input(InputState::Named, L"Winlogon", true), "", false},
        {{Desktop(L"Shut", false)}, Input(InputState::Unknown), "", false},
        // Gone and back: told again.
        {{Desktop(L"Default")}, none, "", false},
        {{Desktop(L"Shut", false)}, Input(InputState::Shut), "shut Shut\nswitched Shut\nend\n", true},
        // A shut input with no shut desktop listed is not understood: left alone.
        {{Desktop(L"Default"), Desktop(L"Lab")}, Input(InputState::Shut), "desktop Lab\nend\n", false},
        // Beyond what the guard keeps: refused as if shut, and the input taken back.
        {many, Input(InputState::Named, L"8"), std::string("shut 8\nswitched 8\ndesktop 0\ndesktop 1\n") +
         "desktop 2\ndesktop 3\ndesktop 4\ndesktop 5\ndesktop 6\ndesktop 7\nend\n", true},
        {lastTaken, Input(InputState::Named, L"8"), "desktop 1\ndesktop 2\ndesktop 3\ndesktop 4\n"
         "desktop 5\ndesktop 6\ndesktop 7\ndesktop 8\nend\n", false},
        {{tooLong}, Input(InputState::Named, L"Long"), "shut Long\nswitched Long\nend\n", true},
        {{tooLong, Desktop(L"Lab")}, Input(InputState::Named, L"Lab"), "desktop Lab\nend\n", false},
    };
    DesktopWatchState state = {};
    int index = 0;
    for (const Look& look : looks) {
        char report[desktopReportSize];
        bool switchInput = false;
        int length = LookAtDesktops(state, look.desktops.data(), static_cast<int>(look.desktops.size()),
                                    look.input, report, desktopReportSize, switchInput);
        EXPECT_EQ(std::string(report, static_cast<size_t>(length)), look.report) << index;
        EXPECT_EQ(switchInput, look.switchInput) << index;
        ++index;
    }
}

}  // namespace
