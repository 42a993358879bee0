// The sweep's order and repetition rules on the in-memory desktop: which windows are
// asked to close, how often, in which order, and how often their titles are read.
#include "tests/rules/RuleTable.h"


#include <stdio.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace {

using SweepTest = RuleTableTest;

TEST_F(SweepTest, NoRuleVisitsNothingAndReadsNoTitle)
{
    // Rule 0 would match everything, but lastRule says the table is empty.
    rules[0].SetMethod(Contains);
    rules[0].SetName("");
    lastRule = -1;
    HWND window = FakeAddWindow("Editor");
    FakeAddWindow("Untitled - Editor");
    Sweep();
    EXPECT_TRUE(FakeCloseLog().empty());
    EXPECT_TRUE(FakeIsOpen(window));
    EXPECT_EQ(0, FakeTitleReads());
}

TEST_F(SweepTest, ClosesExactlyTheMatchingWindows)
{
    AddRule("Editor", Exact);
    AddRule("Game", Contains);
    HWND editor = FakeAddWindow("Editor");
    HWND untitled = FakeAddWindow("Untitled - Editor");
    HWND game = FakeAddWindow("Card Game 2");
    HWND lower = FakeAddWindow("editor");
    Sweep();
    EXPECT_FALSE(FakeIsOpen(editor));
    EXPECT_TRUE(FakeIsOpen(untitled));
    EXPECT_FALSE(FakeIsOpen(game));
    EXPECT_TRUE(FakeIsOpen(lower));
    EXPECT_EQ((std::vector<HWND>{editor, game}), FakeCloseLog());
}

TEST_F(SweepTest, DiffersClosesEveryTitledWindowButItsOwn)
{
    AddRule("Editor", Differs);
    HWND editor = FakeAddWindow("Editor");
    HWND a = FakeAddWindow("Untitled - Editor");
    HWND b = FakeAddWindow("Calculator");
    HWND host = FakeAddWindow("");
    Sweep();
    EXPECT_EQ(0, FakeCloseRequests(editor));
    EXPECT_EQ(1, FakeCloseRequests(a));
    EXPECT_EQ(1, FakeCloseRequests(b));
    EXPECT_EQ(0, FakeCloseRequests(host));
}

TEST_F(SweepTest, TwoDiffersRulesCatchEachOthersTitle)
{
    AddRule("A", Differs);
    AddRule("B", Differs);
    HWND a = FakeAddWindow("A", OnClose::Refuse);
    HWND b = FakeAddWindow("B", OnClose::Refuse);
    HWND c = FakeAddWindow("C", OnClose::Refuse);
    Sweep();
    EXPECT_EQ(1, FakeCloseRequests(a));
    EXPECT_EQ(1, FakeCloseRequests(b));
    EXPECT_EQ(2, FakeCloseRequests(c));
}

TEST_F(SweepTest, WindowsWithoutTitleAreNeverTouched)
{
    AddRule("", Contains);
    AddRule("", Differs);
    AddRule("", Exact);
    AddRule("x", Differs);
    AddRule("", 7);
    HWND host = FakeAddWindow("");
    HWND other = FakeAddWindow("", OnClose::Refuse);
    Sweep();
    EXPECT_TRUE(FakeCloseLog().empty());
    EXPECT_TRUE(FakeIsOpen(host));
    EXPECT_TRUE(FakeIsOpen(other));
}

TEST_F(SweepTest, AWindowMatchingThreeRulesIsAskedWhileItSurvives)
{
    AddRule("Editor", Exact);
    AddRule("Edit", Contains);
    AddRule("Viewer", Differs);
    HWND refusing = FakeAddWindow("Editor", OnClose::Refuse);
    HWND closing = FakeAddWindow("Editor", OnClose::Close);
    Sweep();
    EXPECT_EQ(3, FakeCloseRequests(refusing));
    EXPECT_EQ(1, FakeCloseRequests(closing));
    EXPECT_FALSE(FakeIsOpen(closing));
    // The windows are taken one after the other, each against the rules in table order.
    EXPECT_EQ((std::vector<HWND>{refusing, refusing, refusing, closing}), FakeCloseLog());
}

TEST_F(SweepTest, EveryRuleIsVisitedAfterAMatchAndNonMatchingOnesSendNothing)
{
    AddRule("Mail", Contains);
    AddRule("Chat", Contains);
    AddRule("Mail", Exact);
    AddRule("Inbox - Mail", Exact);
    HWND inbox = FakeAddWindow("Inbox - Mail", OnClose::Refuse);
    Sweep();
    EXPECT_EQ(2, FakeCloseRequests(inbox));
    Sweep();
    EXPECT_EQ(4, FakeCloseRequests(inbox));
}

TEST_F(SweepTest, TitleIsReadOncePerWindowUnlessARequestWasSent)
{
    for (int i = 0; i < 50; ++i)
        AddRule("Rule " + std::to_string(i), i % 2 ? Contains : Exact);
    for (int i = 0; i < 20; ++i)
        FakeAddWindow("Window " + std::to_string(i));
    FakeAddWindow("");
    Sweep();
    EXPECT_TRUE(FakeCloseLog().empty());
    EXPECT_EQ(21, FakeTitleReads());
    Sweep();
    EXPECT_EQ(42, FakeTitleReads());
}

TEST_F(SweepTest, TitleIsReadAgainAfterEachRequest)
{
    AddRule("Editor", Contains);
    AddRule("Other", Exact);
    AddRule("Editor", Exact);
    HWND refusing = FakeAddWindow("Editor", OnClose::Refuse);
    Sweep();
    EXPECT_EQ(2, FakeCloseRequests(refusing));
    EXPECT_EQ(1 + 2, FakeTitleReads());

    FreshDesktop();
    HWND closing = FakeAddWindow("Editor", OnClose::Close);
    Sweep();
    EXPECT_EQ(1, FakeCloseRequests(closing));
    EXPECT_LE(FakeTitleReads(), 2);
}

TEST_F(SweepTest, ATitleChangedByARefusedRequestIsSeenByLaterRules)
{
    AddRule("Editor", Contains);
    AddRule("Editor", Exact);          // would match the old title only
    AddRule("Save changes?", Exact);   // matches the new title only
    AddRule("Editor", Contains);
    HWND window = FakeAddWindow("Editor", OnClose::Refuse);
    FakeOnCloseRequest(window, [window] { FakeSetTitle(window, "Save changes?"); });
    Sweep();
    EXPECT_EQ(2, FakeCloseRequests(window));
    EXPECT_TRUE(FakeIsOpen(window));
}

TEST_F(SweepTest, AWindowThatLosesItsTitleIsNotAskedAgain)
{
    AddRule("Editor", Contains);
    AddRule("", Contains);
    HWND window = FakeAddWindow("Editor", OnClose::Refuse);
    FakeOnCloseRequest(window, [window] { FakeSetTitle(window, ""); });
    Sweep();
    EXPECT_EQ(1, FakeCloseRequests(window));
}

TEST_F(SweepTest, AHungWindowIsAskedOnceUntilItAnswersAndHoldsNobodyUp)
{
    AddRule("Game", Contains);
    AddRule("Card Game", Exact);
    AddRule("", Contains);
    HWND before = FakeAddWindow("Game Lobby");
    HWND hung = FakeAddWindow("Card Game", OnClose::Hang);
    HWND after = FakeAddWindow("Game Over");
    HWND refusing = FakeAddWindow("Card Game", OnClose::Refuse);
    Sweep();
    EXPECT_EQ(1, FakeCloseRequests(hung));
    EXPECT_FALSE(FakeIsOpen(before));
    EXPECT_FALSE(FakeIsOpen(after));
    EXPECT_EQ(3, FakeCloseRequests(refusing));
    EXPECT_TRUE(FakeIsOpen(hung));

    // Its request is still outstanding: later sweeps leave it alone until it answers.
    Sweep();
    EXPECT_EQ(1, FakeCloseRequests(hung));
    EXPECT_EQ(6, FakeCloseRequests(refusing));
    FakeAnswer(hung);
    Sweep();
    EXPECT_EQ(2, FakeCloseRequests(hung));
}

int RequestsTo(const std::vector<HWND>& windows)
{
    int requests = 0;
    for (HWND window : windows)
        requests += FakeCloseRequests(window);
    return requests;
}

TEST_F(SweepTest, AFloodOfUnansweredRequestsKeepsNoNewWindowWaiting)
{
    // Threads whose windows take a request and never finish it: as many as the table
    // holds or more, a window each (one program's many threads) or three each (many
    // programs, each with windows left waiting behind the one asking).
    const struct { int threads, windowsPerThread; } floods[] = {
        {pendingCapacity, 1}, {pendingCapacity + 1, 1}, {3 * pendingCapacity, 1},
        {pendingCapacity + 10, 3}};
    int longestWait = 0;
    for (const auto& flood : floods) {
        SCOPED_TRACE(std::to_string(flood.threads) + " threads");
        FreshDesktop();
        ClearRules();
        AddRule("", Contains);
        std::vector<std::vector<HWND>> threads(flood.threads);
        for (std::vector<HWND>& thread : threads)
            for (int i = 0; i < flood.windowsPerThread; ++i) {
                thread.push_back(FakeAddWindow("Save changes?", OnClose::Hang));
                FakeShareThread(thread.back(), thread.front());
            }
        // One game is there from the start, the other appears as the first is asked.
        HWND early = FakeAddWindow("Game");
        HWND late = nullptr;
        FakeOnCloseRequest(early, [&late] { late = FakeAddWindow("Game"); });
        Sweep();
        EXPECT_FALSE(FakeIsOpen(early));
        for (const std::vector<HWND>& thread : threads)
            ASSERT_EQ(1, RequestsTo(thread));
        int sweeps = 1;
        for (; FakeIsOpen(late) && sweeps < 3; ++sweeps)
            Sweep();
        EXPECT_FALSE(FakeIsOpen(late));
        EXPECT_LE(sweeps, 2);
        longestWait = std::max(longestWait, sweeps);
        // The requests held longest are never given up, however long the flood lasts.
        Sweep();
        Sweep();
        for (int t = 0; t < pendingCapacity - 1; ++t)
            EXPECT_EQ(1, RequestsTo(threads[t]));
    }
    printf("longest a new window waited under a flood: %d sweep(s)\n", longestWait);
}

HWND Handle(uintptr_t value) { return reinterpret_cast<HWND>(value); }
uintptr_t goneWindow;
// Each handle value a window on a thread of its own, but goneWindow.
unsigned long OwnThread(HWND window)
{
    uintptr_t value = reinterpret_cast<uintptr_t>(window);
    return value == goneWindow ? 0 : static_cast<unsigned long>(value);
}

TEST_F(SweepTest, AFullTableTakesAGoneWindowsSlotElseGivesUpItsNewestRequest)
{
    std::vector<uintptr_t> held;
    for (uintptr_t i = 1; i <= pendingCapacity; ++i)
        held.push_back(OpenCloseRequest(Handle(i), OwnThread));
    // The first window's slot is the first slot: taken again, never passed over.
    goneWindow = 1;
    uintptr_t first = OpenCloseRequest(Handle(100), OwnThread);
    goneWindow = 0;
    EXPECT_NE(0u, first);
    for (int i = 0; i < pendingCapacity; ++i)
        EXPECT_EQ(i != 0, CloseRequestOpen(held[i])) << i;
    // Full of live requests: the newest goes, and its late answer frees nobody's slot.
    uintptr_t second = OpenCloseRequest(Handle(101), OwnThread);
    EXPECT_FALSE(CloseRequestOpen(first));
    EndCloseRequest(first);
    EXPECT_TRUE(CloseRequestOpen(second));
    EXPECT_NE(0u, OpenCloseRequest(Handle(100), OwnThread));
    EXPECT_EQ(0u, OpenCloseRequest(Handle(2), OwnThread));
}

TEST_F(SweepTest, NoWindowOfAThreadHandlingARequestIsAskedUntilItAnswers)
{
    AddRule("Editor", Contains);
    AddRule("", Differs);
    // The editor's "save changes?" box, captioned with the program's name, opens on the
    // editor's thread while it handles the request; it comes first in the enumeration.
    HWND question = FakeAddWindow("");
    HWND editor = FakeAddWindow("Untitled - Editor", OnClose::Hang);
    FakeShareThread(question, editor);
    FakeOnCloseRequest(editor, [question] { FakeSetTitle(question, "Editor"); });
    HWND game = FakeAddWindow("Game", OnClose::Refuse);
    Sweep();
    Sweep();
    EXPECT_EQ(1, FakeCloseRequests(editor));
    EXPECT_EQ(0, FakeCloseRequests(question));
    EXPECT_EQ(2, FakeCloseRequests(game));

    FakeAnswer(editor);
    Sweep();
    EXPECT_EQ(1, FakeCloseRequests(question));
    EXPECT_EQ(2, FakeCloseRequests(editor));
}

TEST_F(SweepTest, DiffersAsksOnlyWindowsAUserCanSwitchToWhileOtherMethodsAskEvery)
{
    const Unswitchable reasons[] = {Unswitchable::Invisible, Unswitchable::Cloaked,
                                    Unswitchable::ToolWindow, Unswitchable::Owned};
    std::vector<HWND> unusable;
    for (Unswitchable reason : reasons) {
        unusable.push_back(FakeAddWindow("GDI+ Window", OnClose::Refuse));
        FakeWindow& facts = FakeWindowOf(unusable.back());
        facts.visible = reason != Unswitchable::Invisible;
        facts.cloaked = reason == Unswitchable::Cloaked;
        facts.desktop = VirtualDesktop::Current;
        facts.exStyle = reason == Unswitchable::ToolWindow ? WS_EX_TOOLWINDOW : 0;
        facts.owned = reason == Unswitchable::Owned;
    }
    HWND ordinary = FakeAddWindow("Calculator", OnClose::Refuse);
    FakeAddWindow("Kiosk");
    AddRule("Kiosk", Differs);
    Sweep();
    for (HWND window : unusable)
        EXPECT_EQ(0, FakeCloseRequests(window));
    EXPECT_EQ(1, FakeCloseRequests(ordinary));

    AddRule("GDI+ Window", Exact);
    AddRule("GDI+", Contains);
    Sweep();
    for (HWND window : unusable)
        EXPECT_EQ(2, FakeCloseRequests(window));
}

unsigned long FirstOwner(HWND) { return 1; }
unsigned long SecondOwner(HWND) { return 2; }

TEST_F(SweepTest, AnAnswerNamesOnlyItsOwnRequest)
{
    HWND first = FakeAddWindow("First");
    HWND second = FakeAddWindow("Second");
    uintptr_t old = OpenCloseRequest(first, FirstOwner);
    EndCloseRequest(old);
    // The slot is taken again; the old request's late answer must not free it.
    uintptr_t now = OpenCloseRequest(second, FirstOwner);
    EndCloseRequest(old);
    EXPECT_EQ(0u, OpenCloseRequest(second, FirstOwner));
    // The same handle under another owner is another window: the old request is stale.
    EXPECT_NE(0u, OpenCloseRequest(second, SecondOwner));
    EXPECT_FALSE(CloseRequestOpen(now));
}

TEST_F(SweepTest, ASweepStartedInsideASweepSendsNothing)
{
    AddRule("Editor", Contains);
    HWND editor = FakeAddWindow("Editor", OnClose::Refuse);
    HWND other = FakeAddWindow("Untitled - Editor", OnClose::Refuse);
    // A tick that arrives while the editor is being asked.
    FakeOnCloseRequest(editor, [] { Sweep(); });
    Sweep();
    EXPECT_EQ((std::vector<HWND>{editor, other}), FakeCloseLog());
}

TEST_F(SweepTest, ExemptWindowsAreNeverAskedAndCostNothingUnlessARuleNamesThem)
{
    AddRule("Keep", Differs);
    AddRule("Default IME", Exact);
    std::vector<HWND> exempt;
    for (int i = 0; i < 3; ++i)
        exempt.push_back(FakeAddWindow("Default IME", OnClose::Refuse));
    FakeWindowOf(exempt[0]).process = fakeOwnProcess;
    FakeWindowOf(exempt[1]).shell = true;
    FakeWindowOf(exempt[2]).className = "IME";
    FakeAddWindow("Keep");
    HWND game = FakeAddWindow("Game", OnClose::Refuse);
    Sweep();
    for (HWND window : exempt)
        EXPECT_EQ(0, FakeCloseRequests(window));
    EXPECT_EQ(1, FakeCloseRequests(game));
}

TEST_F(SweepTest, AWindowClosedByAnotherWindowMidSweepIsSkipped)
{
    AddRule("Mail", Contains);
    HWND first = FakeAddWindow("Mail");
    HWND compose = FakeAddWindow("Compose - Mail");
    HWND last = FakeAddWindow("Mail Settings");
    // Closing the main window takes its compose window with it.
    FakeOnCloseRequest(first, [compose] { FakeCloseWindow(compose); });
    Sweep();
    EXPECT_EQ((std::vector<HWND>{first, last}), FakeCloseLog());
    EXPECT_EQ(0, FakeCloseRequests(compose));
}

TEST_F(SweepTest, AWindowThatGoesAwayWhileRefusingIsNotAskedAgain)
{
    AddRule("Mail", Contains);
    AddRule("Mail", Exact);
    HWND window = FakeAddWindow("Mail", OnClose::Refuse);
    FakeOnCloseRequest(window, [window] { FakeCloseWindow(window); });
    HWND next = FakeAddWindow("Mail", OnClose::Refuse);
    Sweep();
    EXPECT_EQ(1, FakeCloseRequests(window));
    EXPECT_EQ(2, FakeCloseRequests(next));
}

TEST_F(SweepTest, AFullTableIsVisitedToItsLastRule)
{
    for (int i = 0; i < ruleCapacity - 1; ++i)
        AddRule("never " + std::to_string(i), i % 2 ? Contains : Exact);
    AddRule("Editor", Exact);
    ASSERT_EQ(ruleCapacity - 1, lastRule);
    HWND window = FakeAddWindow("Editor");
    Sweep();
    EXPECT_EQ(1, FakeCloseRequests(window));
    EXPECT_FALSE(FakeIsOpen(window));
}

// --- the sweep against a model that reads the title anew for every rule --------------

struct ModelWindow {
    std::string title;
    OnClose onClose;
    bool open = true;
    bool unanswered = false;  // its request is outstanding, from any earlier sweep
};

// A window without a title is never asked to close, whatever the rule.
bool ModelMatches(const std::string& name, int method, const std::string& title)
{
    return !title.empty() && ReferenceMatch(name, method, title);
}

TEST_F(SweepTest, AgreesWithAPerRuleModelOnRandomDesktops)
{
    const char* pieces[] = {"A", "B", "AB", "BA", "", "AAB", "\x83\x41", "C"};
    const int methods[] = {Exact, Contains, Differs, Contains, Exact, 7, -1};
    const OnClose behaviours[] = {OnClose::Close, OnClose::Refuse, OnClose::Hang};
    std::mt19937 random(7);
    long requests = 0;
    for (int round = 0; round < 400; ++round) {
        ClearRules();
        FreshDesktop();
        int ruleCount = 1 + random() % 12;
        std::vector<std::pair<std::string, int>> model;
        for (int i = 0; i < ruleCount; ++i) {
            std::string name = std::string(pieces[random() % 8]) + pieces[random() % 8];
            int method = methods[random() % 7];
            AddRule(name, method);
            model.emplace_back(name, method);
        }
        std::vector<ModelWindow> windows;
        std::vector<HWND> handles;
        int windowCount = random() % 10;
        for (int i = 0; i < windowCount; ++i) {
            ModelWindow window;
            for (int n = random() % 4; n > 0; --n)
                window.title += pieces[random() % 8];
            window.onClose = behaviours[random() % 3];
            windows.push_back(window);
            handles.push_back(FakeAddWindow(window.title, window.onClose));
        }

        for (int sweep = 0; sweep < 2; ++sweep) {
            std::vector<HWND> expected = FakeCloseLog();
            for (size_t w = 0; w < windows.size(); ++w) {
                ModelWindow& window = windows[w];
                for (const auto& rule : model) {
                    if (!window.open || window.unanswered ||
                        !ModelMatches(rule.first, rule.second, window.title))
                        continue;
                    expected.push_back(handles[w]);
                    if (window.onClose == OnClose::Close)
                        window.open = false;
                    else if (window.onClose == OnClose::Hang)
                        window.unanswered = true;
                }
            }
            Sweep();
            ASSERT_EQ(expected, FakeCloseLog()) << "round " << round << " sweep " << sweep;
            for (size_t w = 0; w < windows.size(); ++w)
                ASSERT_EQ(windows[w].open, FakeIsOpen(handles[w])) << "round " << round;
        }
        requests += static_cast<long>(FakeCloseLog().size());
    }
    EXPECT_GT(requests, 1000);  // the random desktops must actually provoke requests
}

}  // namespace
