// What the rules make of the facts the desktop tells: which windows are exempt, which
// ones a user can switch to, and how a close request waits for its answer.
#include "tests/rules/RuleTable.h"

#include "rules/CloseRequest.h"

namespace {

using WindowFactsTest = RuleTableTest;

TEST_F(WindowFactsTest, ExemptionFollowsProcessShellAndClass)
{
    const struct {
        bool own, shell;
        const char* className;
        WindowExemption expected;
    } rows[] = {
        {true, false, "Notepad", WindowExemption::OwnWindow},
        {false, true, "Progman", WindowExemption::ShellWindow},
        {false, false, "IME", WindowExemption::InputMethod},
        {false, false, "MSCTFIME UI", WindowExemption::InputMethod},
        {false, false, "MSCTFIME UI2", WindowExemption::None},  // read whole, not cut to fit
        {false, false, "Notepad", WindowExemption::None},
    };
    for (const auto& row : rows) {
        FreshDesktop();
        HWND window = FakeAddWindow("Window");
        FakeWindow& facts = FakeWindowOf(window);
        if (row.own)
            facts.process = fakeOwnProcess;
        facts.shell = row.shell;
        facts.className = row.className;
        EXPECT_EQ(row.expected, ExemptionOf(window)) << row.className;
    }
}

TEST_F(WindowFactsTest, SwitchableFollowsTheWindowsRecordAndItsDesktop)
{
    const long tool = WS_EX_TOOLWINDOW, app = WS_EX_APPWINDOW;
    const struct {
        bool visible, owned;
        long exStyle;
        bool cloaked;
        VirtualDesktop desktop;
        Unswitchable expected;
    } rows[] = {
        {true, false, 0, false, VirtualDesktop::Current, Unswitchable::No},
        {false, false, 0, false, VirtualDesktop::Current, Unswitchable::Invisible},
        {true, true, 0, false, VirtualDesktop::Current, Unswitchable::Owned},
        {true, false, tool, false, VirtualDesktop::Current, Unswitchable::ToolWindow},
        {true, false, tool | app, false, VirtualDesktop::Current, Unswitchable::No},
        {true, false, 0, true, VirtualDesktop::Current, Unswitchable::Cloaked},
        {true, false, 0, true, VirtualDesktop::None, Unswitchable::Cloaked},
        // Cloaked because it is on another desktop, or the shell won't say: in use.
        {true, false, 0, true, VirtualDesktop::Other, Unswitchable::No},
        {true, false, 0, true, VirtualDesktop::Unknown, Unswitchable::No},
    };
    int row = 0;
    for (const auto& facts : rows) {
        FreshDesktop();
        HWND window = FakeAddWindow("Window");
        FakeWindow& set = FakeWindowOf(window);
        set.visible = facts.visible;
        set.owned = facts.owned;
        set.exStyle = static_cast<unsigned long>(facts.exStyle);
        set.cloaked = facts.cloaked;
        set.desktop = facts.desktop;
        EXPECT_EQ(facts.expected, WhyUnswitchable(window)) << "row " << row++;
    }
}

TEST_F(WindowFactsTest, HungOrBlockedWindowsGetNothingAndHoldNoThreadBack)
{
    HWND hung = FakeAddWindow("Editor", OnClose::Hung);
    HWND denied = FakeAddWindow("Admin tool", OnClose::Denied);
    HWND mate = FakeAddWindow("Admin tool - Options", OnClose::Refuse);
    FakeShareThread(mate, denied);
    EXPECT_FALSE(RequestClose(hung));
    EXPECT_FALSE(RequestClose(denied));
    EXPECT_EQ(0, FakeCloseRequests(hung));
    EXPECT_TRUE(RequestClose(mate));
}

TEST_F(WindowFactsTest, AProgramBusyWithAQuestionIsAskedWithoutAWaitUntilItAnswers)
{
    // One program whose windows each run a thread of their own and each ask "save
    // changes?", and another program beside it.
    HWND windows[5];
    for (HWND& window : windows) {
        window = FakeAddWindow("Document", OnClose::Hang);
        FakeWindowOf(window).process = 7;
    }
    HWND other = FakeAddWindow("Other", OnClose::Hang);
    const struct {
        HWND answered;  // answers before the next request, or nullptr
        HWND asked;
        unsigned long wait;
    } steps[] = {
        {nullptr, windows[0], closeWait},
        {nullptr, windows[1], 0},
        // An answer to a request sent without a wait leaves the program busy.
        {windows[1], windows[2], 0},
        {windows[0], windows[3], closeWait},
        {nullptr, other, closeWait},
        // Only the request that last used up the wait is watched.
        {nullptr, windows[4], closeWait},
    };
    for (const auto& step : steps) {
        if (step.answered)
            FakeAnswer(step.answered);
        EXPECT_FALSE(RequestClose(step.asked));
        EXPECT_EQ(step.wait, FakeWindowOf(step.asked).lastWait);
    }
}

}  // namespace
