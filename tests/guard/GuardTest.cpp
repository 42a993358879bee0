#include "ServiceDriver.h"

#include "guard/Guard.h"

#include <gtest/gtest.h>

namespace {

class GuardTest : public testing::Test {
protected:
    void SetUp() override
    {
        FakeGuardReset();
        FakeSetSessions({2, 5});
        FakeSetUserName(2, L"LAB\\pupil1");
        FakeSetUserName(5, L"LAB\\pupil2");
        FakeSetConsoleSession(2);
        BeginService("no-hours.cfg");
    }

    static std::vector<SessionId> Range(SessionId first, SessionId count)
    {
        std::vector<SessionId> sessions;
        for (SessionId session = first; session < first + count; ++session)
            sessions.push_back(session);
        return sessions;
    }

    // The entries of one kind, and the strings of the last of them.
    static int Entries(GuardEvent event, std::vector<std::wstring>* last = nullptr)
    {
        int count = 0;
        for (const FakeEvent& entry : FakeEvents())
            if (entry.event == event && ++count && last)
                *last = entry.strings;
        return count;
    }

    // Runs the session's Pyxen for ms, then ends it from outside.
    void RunThenEnd(SessionId session, GuardTime ms, unsigned long status = 1)
    {
        FakeAdvance(ms);
        FakeEndChild(FakeChildOf(session), status);
        Wake();
    }

    // Ends the session's Pyxens quickly until it is held back.
    void HoldBack(SessionId session)
    {
        for (int end = 0; end < 10 && FakeRunningIn(session); ++end)
            RunThenEnd(session, 1000);
    }
};

TEST_F(GuardTest, EverySessionWithAUserGetsOnePyxen)
{
    EXPECT_EQ(FakeRunningIn(2), 1);
    EXPECT_EQ(FakeRunningIn(5), 1);
    ASSERT_EQ(FakeEvents().size(), 3u);
    EXPECT_EQ(FakeEvents()[0].event, GuardEvent::GuardStarted);
    EXPECT_EQ(FakeEvents()[2].strings, (std::vector<std::wstring>{L"5", L"LAB\\pupil2"}));

    GuardLogon(5);  // a second connect notification: still one
    EXPECT_EQ(FakeRunningIn(5), 1);
    GuardLogoff(5);
    EXPECT_EQ(FakeRunningIn(5), 0);
    EXPECT_EQ(FakeRunningIn(2), 1);
    FakeSetSessions({2, 7});
    GuardLogon(7);
    EXPECT_EQ(FakeRunningIn(7), 1);
}

TEST_F(GuardTest, ThousandsOfLogonsWithNewIdsLeaveNothingBehind)
{
    // Each logon gets a fresh id, as on Windows. Every third session's end is seen only
    // when its Pyxen ends, every fifth only by a reconciliation after lost notifications.
    for (SessionId session = 100; session < 5100; ++session) {
        FakeSetSessions({2, 5, session});
        GuardLogon(session);
        ASSERT_EQ(FakeRunningIn(session), 1) << session;
        FakeSetSessions({2, 5});
        if (session % 5 == 0)
            GuardReconcile();
        else if (session % 3 == 0)
            RunThenEnd(session, 0);
        else
            GuardLogoff(session);
        ASSERT_EQ(FakeRunningIn(session), 0) << session;
    }
    // More sessions than there are slots, each seen gone only when its Pyxen ends.
    for (SessionId session = 10000; session <= 10000 + guardMaxSessions; ++session) {
        FakeSetSessions({2, 5, session});
        GuardLogon(session);
        FakeSetSessions({2, 5});
        RunThenEnd(session, 0);
    }
    FakeSetSessions({2, 5, 7});
    GuardLogon(7);
    EXPECT_EQ(FakeRunningIn(7), 1);
    EXPECT_EQ(Entries(GuardEvent::SessionLimit), 0);
    EXPECT_EQ(FakeHeldChildren(), 3);  // 2, 5 and 7: no handle or job of the others
    GuardStop();
    EXPECT_EQ(FakeHeldChildren(), 0);
}

TEST_F(GuardTest, OnlySessionsWithAUserGetAPyxen)
{
    GuardLogon(3);  // a connect to the logon screen
    EXPECT_EQ(FakeRunningIn(3), 0);
    FakeSetSessions({2, 5, 3});
    GuardLogon(3);  // the logon that follows
    EXPECT_EQ(FakeRunningIn(3), 1);

    ChildId kept = FakeChildOf(5);
    FakeSetSessions({5, 3, 8});  // notifications lost: 2 logged off, 8 logged on
    GuardReconcile();
    EXPECT_EQ(FakeRunningIn(2), 0);
    EXPECT_EQ(FakeRunningIn(8), 1);
    EXPECT_EQ(FakeChildOf(5), kept);
    EXPECT_EQ(FakeHeldChildren(), 3);

    std::vector<SessionId> many = Range(10, guardMaxSessions + 2);  // two beyond the limit
    FakeSetSessions(many);
    GuardReconcile();
    std::vector<std::wstring> limit;
    ASSERT_EQ(Entries(GuardEvent::SessionLimit, &limit), 1);
    EXPECT_EQ(limit[2], std::to_wstring(guardMaxSessions));
    EXPECT_EQ(FakeHeldChildren(), guardMaxSessions);
    GuardLogoff(10);
    GuardLogon(many.back());
    EXPECT_EQ(FakeRunningIn(many.back()), 1);
    GuardStart();  // once a run
    EXPECT_EQ(Entries(GuardEvent::SessionLimit), 2);
}

TEST_F(GuardTest, WhatWindowsTellsOfASessionDecidesItsPyxen)
{
    const struct {
        SessionState state;
        bool hasUserName;
        bool guarded;
    } cases[] = {
        {SessionState::Active, true, true},
        {SessionState::Disconnected, true, true},  // the user comes back to it
        {SessionState::Connected, false, false},   // its logon screen
        {SessionState::Connected, true, false},
        {SessionState::Active, false, false},
        {SessionState::Other, true, false},  // listening, or being reset
    };
    for (const auto& c : cases) {
        FakeGuardReset();
        FakeSetConsoleSession(1);
        FakeSetSessionFacts({{0, SessionState::Disconnected, false}, {1, c.state, c.hasUserName}});
        GuardStart();
        EXPECT_EQ(FakeRunningIn(1), c.guarded ? 1 : 0) << static_cast<int>(c.state);
        EXPECT_EQ(FakeRunningIn(0), 0);
        GuardStop();
    }
}

TEST_F(GuardTest, OnlyASystemThatListsNoSessionMeansTheConsole)
{
    FakeGuardReset();
    FakeSetConsoleSession(1);
    GuardStart();
    EXPECT_EQ(FakeRunningIn(1), 1);
    FakeAdvance(quickEndMs);
    FakeEndChild(FakeChildOf(1), 1);
    Wake();
    EXPECT_EQ(FakeRunningIn(1), 1);  // still the user's: started again

    GuardLogon(7);  // no session listed: only the console's is the user's
    EXPECT_EQ(FakeRunningIn(7), 0);

    FakeGuardReset();
    FakeSetConsoleSession(1);
    FakeSetSessionFacts({{0, SessionState::Disconnected, false}});
    GuardStart();
    EXPECT_EQ(FakeRunningIn(1), 0);
}

TEST_F(GuardTest, APyxenThatEndsIsStartedAgainAtOnce)
{
    ChildId first = FakeChildOf(2);
    RunThenEnd(2, 5 * 60 * 1000, 7);
    ChildId second = FakeChildOf(2);
    EXPECT_NE(second, first);
    EXPECT_EQ(FakeFindChild(second)->started, FakeFindChild(first)->ended);
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::PyxenRestarted);
    EXPECT_EQ(FakeEvents().back().strings[2], L"7");

    FakeSetSessions({2});  // session 5 logged off before its notification came
    RunThenEnd(5, 1000);
    EXPECT_EQ(FakeRunningIn(5), 0);
    EXPECT_EQ(GuardNextWake(), 0u);
}

TEST_F(GuardTest, QuickEndsAreHeldBackWithLongerPausesAndOneEntryEach)
{
    size_t before = FakeEvents().size();
    for (int end = 0; end <= quickEndsAllowed; ++end)
        RunThenEnd(2, 3000);
    EXPECT_EQ(FakeRunningIn(2), 0);
    EXPECT_EQ(FakeEvents().size(), before + quickEndsAllowed + 1);  // restarts, one hold
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::PyxenHeldBack);
    EXPECT_EQ(FakeEvents().back().strings[3], L"120");
    EXPECT_EQ(GuardNextWake(), GuardNow() + firstHoldMs);

    FakeAdvance(firstHoldMs - 1);
    Wake();
    EXPECT_EQ(FakeRunningIn(2), 0);
    FakeAdvance(1);
    Wake();
    EXPECT_EQ(FakeRunningIn(2), 1);

    RunThenEnd(2, 3000);  // quick again after the pause: held back at once, for longer
    EXPECT_EQ(FakeRunningIn(2), 0);
    EXPECT_EQ(FakeEvents().back().strings[3], L"240");

    FakeAdvance(2 * firstHoldMs);
    Wake();
    RunThenEnd(2, quickEndMs);  // it ran long enough: the next end restarts at once
    EXPECT_EQ(FakeRunningIn(2), 1);
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::PyxenRestarted);

    HoldBack(5);
    FakeSetSessions({2});  // logged off unseen during the pause: forgotten at its end
    RunService(firstHoldMs);
    EXPECT_EQ(FakeRunningIn(5), 0);
    EXPECT_EQ(GuardNextWake(), 0u);
}

TEST_F(GuardTest, QuickEndsAreForgottenAtALogonWithEditedSettingsAndAtATakeover)
{
    HoldBack(2);
    GuardLogon(2);  // a new user: started at once, and its quick ends start from none
    RunThenEnd(2, 1000);
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::PyxenRestarted);

    HoldBack(2);
    HoldBack(5);
    int started = Entries(GuardEvent::PyxenStarted);
    GuardSwapAll({2000, 3, L"pyxen.cfg"});  // no successor needed: started at once
    EXPECT_EQ(Entries(GuardEvent::PyxenStarted), started + 2);
    RunService(0);
    std::vector<std::wstring> applied;
    Entries(GuardEvent::SettingsApplied, &applied);
    EXPECT_EQ(applied, (std::vector<std::wstring>{L"3", L"pyxen.cfg", L"2"}));
    RunThenEnd(5, 1000);  // its first quick end since
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::PyxenRestarted);

    for (int end = 0; end < quickEndsAllowed; ++end)
        RunThenEnd(2, 1000);
    RunThenEnd(5, 1000);  // its second
    ChildId old = FakeChildOf(2);
    GuardSwapAll({2000, 3, L"pyxen.cfg"});
    RunThenEnd(5, 1000);  // held back before its successor's turn: not counted, not waited for
    RunService(2000);
    Entries(GuardEvent::SettingsApplied, &applied);
    EXPECT_EQ(applied[2], L"1");
    GuardTime firstSweep = FakeFindChild(FakeChildOf(2))->started + 2000;
    EXPECT_EQ(FakeFindChild(old)->ended, firstSweep - swapMarginMs);
    RunThenEnd(2, 1000);
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::PyxenRestarted);
}

TEST_F(GuardTest, PausesStopAtTheLongest)
{
    FakeEndAtStart(2, true);
    HoldBack(2);
    for (int pause = 0; pause < 8; ++pause) {
        FakeAdvance(GuardNextWake() - GuardNow());
        Wake();  // starts one, which ends at once
        Wake();
    }
    EXPECT_EQ(GuardNextWake() - GuardNow(), longestHoldMs);
    EXPECT_EQ(FakeEvents().back().strings[3], L"3600");
}

TEST_F(GuardTest, AFailedStartIsReportedOnceTriedAgainWithinSecondsThenAfterAPause)
{
    FakeFailStarts(2, 1314);
    RunThenEnd(2, 5 * 60 * 1000);
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::PyxenStartFailed);
    EXPECT_EQ(FakeEvents().back().strings, (std::vector<std::wstring>{L"2", L"LAB\\pupil1", L"1314"}));
    size_t entries = FakeEvents().size();
    EXPECT_EQ(GuardNextWake() - GuardNow(), startRetryMs);
    RunService(startRetryMs);  // fails again: now a pause, quietly
    EXPECT_EQ(GuardNextWake() - GuardNow(), firstHoldMs);
    FakeFailStarts(2, 0);
    RunService(firstHoldMs - 1);
    EXPECT_EQ(FakeRunningIn(2), 0);
    RunService(1);
    EXPECT_EQ(FakeRunningIn(2), 1);
    EXPECT_EQ(FakeEvents().size(), entries + 1);  // started, the one entry more

    FakeFailStarts(2, 1314);  // a single failure later is tried again at once
    RunThenEnd(2, 5 * 60 * 1000);
    FakeFailStarts(2, 0);
    RunService(startRetryMs);
    EXPECT_EQ(FakeRunningIn(2), 1);

    ChildId old = FakeChildOf(2);  // so is a successor's
    FakeFailStarts(2, 1314);
    GuardSwapAll({2000, 3, L"pyxen.cfg"});
    RunService(1);
    FakeFailStarts(2, 0);
    RunService(startRetryMs + 2000);
    EXPECT_NE(FakeChildOf(2), old);
    EXPECT_EQ(Entries(GuardEvent::PyxenStartFailed), 3);
}

TEST_F(GuardTest, ASessionListThatCantBeHadForgetsNoSession)
{
    ChildId child = FakeChildOf(5);
    FakeFailSessionList(true);
    GuardReconcile();
    RunThenEnd(2, 5 * 60 * 1000);  // ends while the list can't be had: started again
    EXPECT_EQ(FakeChildOf(5), child);
    EXPECT_EQ(FakeRunningIn(2), 1);
    FakeFailSessionList(false);
    FakeSetSessions({2});
    GuardReconcile();
    EXPECT_EQ(FakeRunningIn(5), 0);

    std::vector<SessionId> cut = Range(100, 4 * guardMaxSessions);  // more than are read
    cut.push_back(2);
    FakeSetSessions(cut);
    GuardReconcile();
    EXPECT_EQ(FakeRunningIn(2), 1);  // left out of the part read, not known to be gone
}

TEST_F(GuardTest, TheHoursEndingDuringASwapWriteNoEntryForIt)
{
    FakeSetLoadTime(2, 60 * 1000);
    GuardSwapAll({2000, 3, L"pyxen.cfg"});
    Wake();
    GuardSetEnforcing(false);
    RunService(swapRetryMs);
    EXPECT_EQ(Entries(GuardEvent::SettingsApplied), 0);
    EXPECT_EQ(FakeRunningIn(2) + FakeRunningIn(5), 0);
}

TEST_F(GuardTest, ASwapOfFiftySessionsNeverOverlapsNorHoldsUpTheLoop)
{
    struct Case {
        GuardTime interval;
        GuardTime slowestLoad;
        GuardTime startTime;  // of each process start, on the loop's thread
    } cases[] = {{500, 300, 0}, {2000, 5000, 20}, {100, 0, 0}, {0, 40, 0}, {500, 300, 200}};
    for (const Case& c : cases) {
        FakeGuardReset();
        FakeSetSessions(Range(1, 50));
        FakeSetInterval(c.interval);
        FakeSetStartTime(c.startTime);
        GuardStart();
        for (SessionId session = 1; session <= 50; ++session)
            FakeSetLoadTime(session, c.slowestLoad * session / 50);
        size_t started = FakeChildren().size();
        GuardSwapAll({static_cast<long>(c.interval), 11, L"pyxen.cfg"});
        EXPECT_EQ(FakeChildren().size(), started);  // nothing on the watch's turn
        Wake();
        EXPECT_EQ(FakeChildren().size(), started + 1);  // one start a pass
        RunService(60 * 1000);
        EXPECT_EQ(FakeLongestOverlap(), 0u) << c.interval << " " << c.startTime;
        std::vector<std::wstring> applied;
        EXPECT_EQ(Entries(GuardEvent::SettingsApplied, &applied), 1);
        EXPECT_EQ(applied, (std::vector<std::wstring>{L"11", L"pyxen.cfg", L"50"}));
        EXPECT_EQ(FakeHeldChildren(), 50);
        EXPECT_EQ(FakeChildren().size(), started + 50);
    }
    // A logon and a stop in the midst of a swap.
    GuardSwapAll({2000, 11, L"pyxen.cfg"});
    Wake();
    FakeSetSessions({1, 77});
    GuardLogon(77);
    EXPECT_EQ(FakeRunningIn(77), 1);
    GuardStop();
    EXPECT_EQ(GuardNextWake(), 0u);  // the swap is given up
    EXPECT_EQ(FakeHeldChildren(), 0);
    EXPECT_EQ(FakeStoppingReports(), 51);
    EXPECT_EQ(Entries(GuardEvent::SettingsApplied), 1);
}

TEST_F(GuardTest, AFailedSuccessorKeepsTheOldPyxenAndIsTriedAgainWithOneEntry)
{
    HoldBack(5);  // the swap releases it
    ChildId old2 = FakeChildOf(2);
    FakeEndAtStart(2, true, 3);
    GuardSwapAll({2000, 3, L"pyxen.cfg"});
    size_t started = FakeChildren().size();
    RunService(swapRetryMs - 1000);
    EXPECT_EQ(FakeChildren().size(), started + 1);  // one that ends is no quick retry
    EXPECT_EQ(FakeChildOf(2), old2);
    EXPECT_EQ(FakeRunningIn(5), 1);
    std::vector<std::wstring> applied;
    EXPECT_EQ(Entries(GuardEvent::SettingsApplied, &applied), 1);
    EXPECT_EQ(applied[2], L"1");
    size_t tried = FakeChildren().size();
    RunService(3 * swapRetryMs);  // tried again each time, quietly
    EXPECT_EQ(FakeChildren().size(), tried + 3);
    EXPECT_EQ(FakeHeldChildren(), 2);  // each that ended was let go
    std::vector<std::wstring> failed;
    EXPECT_EQ(Entries(GuardEvent::SwapFailed, &failed), 1);
    EXPECT_EQ(failed, (std::vector<std::wstring>{L"2", L"LAB\\pupil1", L"3", L"120"}));

    FakeEndAtStart(2, false);
    RunService(swapRetryMs);
    EXPECT_NE(FakeChildOf(2), old2);
    EXPECT_TRUE(FakeFindChild(old2)->endedByGuard);
    EXPECT_EQ(FakeRunningIn(2), 1);
    EXPECT_EQ(FakeLongestOverlap(), 0u);

    // The next swap waits for every session again, the one that failed before too.
    FakeEndAtStart(2, true, 3);
    GuardSwapAll({2000, 4, L"pyxen.cfg"});
    RunService(10 * 1000);
    FakeEndAtStart(2, false);
    GuardSwapAll({2000, 5, L"pyxen.cfg"});
    RunService(10 * 1000);
    ASSERT_EQ(Entries(GuardEvent::SettingsApplied, &applied), 3);
    EXPECT_EQ(applied[0] + L" " + applied[2], L"5 2");
}

TEST_F(GuardTest, APyxenThatEndsDuringASwapNeedsNoSuccessorOrHandsOverAtOnce)
{
    // Session 5's ends before its successor's turn: started again, it reads the new
    // settings, and needs none.
    GuardSwapAll({2000, 3, L"pyxen.cfg"});
    FakeEndChild(FakeChildOf(5), 1);
    Wake();
    RunService(10 * 1000);
    EXPECT_EQ(FakeChildren().size(), 4u);  // 2 and 5, 5 again, 2's successor
    EXPECT_EQ(FakeRunningIn(2) + FakeRunningIn(5), 2);

    // Both old ones end while their successors load: each successor is the session's
    // Pyxen at once, and the swap is reported then, not at the takeovers' time.
    GuardSwapAll({2000, 4, L"pyxen.cfg"});
    Wake();
    Wake();
    ASSERT_EQ(FakeChildren().size(), 6u);
    FakeEndChild(4, 1);  // session 2's
    FakeEndChild(3, 1);  // session 5's
    Wake();
    std::vector<std::wstring> applied;
    ASSERT_EQ(Entries(GuardEvent::SettingsApplied, &applied), 2);
    EXPECT_EQ(applied[0], L"4");
    EXPECT_EQ(FakeHeldChildren(), 2);
    RunService(10 * 1000);
    EXPECT_EQ(FakeRunningIn(2) + FakeRunningIn(5), 2);
    EXPECT_EQ(FakeChildren().size(), 6u);
}

TEST_F(GuardTest, ASuccessorsQuickEndsCountFromItsOwnStart)
{
    RunService(10 * 60 * 1000);  // the old ones have run long
    GuardSwapAll({2000, 3, L"pyxen.cfg"});
    RunService(10 * 1000);
    ASSERT_EQ(Entries(GuardEvent::SettingsApplied), 1);
    for (int end = 0; end <= quickEndsAllowed; ++end)
        RunThenEnd(2, 1000);
    EXPECT_EQ(Entries(GuardEvent::PyxenHeldBack), 1);
}

TEST_F(GuardTest, AnEndedPyxenIsGoneBeforeTheLoopGoesOnUnlessItCantBeEnded)
{
    FakeSetEndTime(2, 300);
    GuardLogoff(2);
    EXPECT_EQ(FakeRunningIn(2), 0);
    EXPECT_EQ(FakeChildren()[0].ended, 1300u);  // the loop waited for it

    FakeSetEndTime(5, 60 * 1000);  // stuck: the loop waits no longer than it may
    GuardTime before = GuardNow();
    GuardLogoff(5);
    EXPECT_EQ(GuardNow() - before, endWaitMs);
    EXPECT_EQ(FakeHeldChildren(), 0);
}

TEST_F(GuardTest, StopEndsEveryPyxenAndIsReportedLast)
{
    ASSERT_EQ(FakeHeldChildren(), 2);
    GuardStop();
    EXPECT_EQ(FakeRunningIn(2) + FakeRunningIn(5), 0);
    EXPECT_EQ(FakeHeldChildren(), 0);
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::GuardStopped);
}

}  // namespace

// The session's other desktops, as its watch reports them.
class DesktopGuardTest : public GuardTest {
protected:
    static void Reported(SessionId session, const std::string& report)
    {
        ASSERT_TRUE(FakeWriteReport(session, report));
        Wake();
    }
};

TEST_F(DesktopGuardTest, ADesktopHasAPyxenWhileTheWatchNamesIt)
{
    ASSERT_NE(FakeWatchOf(2), 0u);
    ASSERT_NE(FakeWatchOf(5), 0u);
    Reported(2, "desktop Lab\ndesktop Two%0020words\nend\n");
    EXPECT_EQ(FakeRunningOn(2, L"Lab"), 1);
    EXPECT_EQ(FakeRunningOn(2, L"Two words"), 1);
    EXPECT_EQ(FakeRunningOn(2, L"Default"), 1);
    EXPECT_EQ(FakeRunningOn(5, L"Lab"), 0);
    std::vector<std::wstring> started;
    EXPECT_EQ(Entries(GuardEvent::DesktopPyxenStarted, &started), 2);
    EXPECT_EQ(started, (std::vector<std::wstring>{L"2", L"LAB\\pupil1", L"Two words"}));

    ChildId kept = FakeChildren().back().id;
    Reported(2, "desktop Two%0020words\ndesktop Lab\n");  // cut short: changes nothing
    Reported(2, "desktop Two%0020words\nend\n");
    EXPECT_EQ(FakeRunningOn(2, L"Lab"), 0);
    EXPECT_TRUE(FakeFindChild(kept)->running);
    EXPECT_EQ(FakeRunningIn(2), 2);

    // Ending quickly holds back that desktop's Pyxen alone, with entries naming it.
    for (int end = 0; end < 10 && FakeRunningOn(2, L"Two words"); ++end) {
        FakeAdvance(1000);
        FakeEndChild(FakeChildren().back().id, 4);
        Wake();
    }
    std::vector<std::wstring> held;
    EXPECT_EQ(Entries(GuardEvent::DesktopPyxenHeldBack, &held), 1);
    EXPECT_EQ(held, (std::vector<std::wstring>{L"2", L"LAB\\pupil1", L"Two words", L"4", L"120"}));
    EXPECT_EQ(Entries(GuardEvent::PyxenHeldBack), 0);
    RunService(firstHoldMs);
    EXPECT_EQ(FakeRunningOn(2, L"Two words"), 1);

    GuardLogoff(2);
    EXPECT_EQ(FakeRunningIn(2), 0);
    EXPECT_EQ(FakeWatchOf(2), 0u);
    EXPECT_EQ(FakeHeldWatches(), 1);
    EXPECT_EQ(FakeHeldChildren(), 1);
}

TEST_F(DesktopGuardTest, RefusedDesktopsAndTheInputTakenBackAreReported)
{
    Reported(5, "shut No%000Aentry\nswitched No%000Aentry\nend\n");
    std::vector<std::wstring> refused, switched;
    EXPECT_EQ(Entries(GuardEvent::DesktopRefused, &refused), 1);
    EXPECT_EQ(refused, (std::vector<std::wstring>{L"5", L"LAB\\pupil2", L"No\nentry"}));
    EXPECT_EQ(Entries(GuardEvent::InputSwitchedBack, &switched), 1);
    EXPECT_EQ(switched[2], L"No\nentry");
    EXPECT_EQ(FakeRunningIn(5), 1);
}

TEST_F(DesktopGuardTest, TheWatchComesBackAsAPyxenDoesAndQuietly)
{
    Reported(2, "desktop Lab\nend\n");
    size_t entries = FakeEvents().size();
    FakeAdvance(5 * 60 * 1000);
    FakeEndChild(FakeWatchOf(2), 9);
    Wake();
    ASSERT_NE(FakeWatchOf(2), 0u);
    EXPECT_EQ(FakeEvents().size(), entries);
    EXPECT_EQ(FakeRunningOn(2, L"Lab"), 1);  // until the new watch says otherwise
    for (int end = 0; end < 10 && FakeWatchOf(2); ++end) {
        FakeAdvance(1000);
        FakeEndChild(FakeWatchOf(2), 9);
        Wake();
    }
    EXPECT_EQ(Entries(GuardEvent::WatchHeldBack), 1);

    FakeFailWatchStarts(5, 1314);
    GuardLogoff(5);
    GuardLogon(5);
    std::vector<std::wstring> failed;
    EXPECT_EQ(Entries(GuardEvent::WatchStartFailed, &failed), 1);
    EXPECT_EQ(failed, (std::vector<std::wstring>{L"5", L"LAB\\pupil2", L"1314"}));
    EXPECT_EQ(FakeRunningIn(5), 1);
}

TEST_F(DesktopGuardTest, TheHoursEndAndBeginTheDesktopsPyxens)
{
    Reported(2, "desktop Lab\nend\n");
    GuardSetEnforcing(false);
    EXPECT_EQ(FakeRunningIn(2), 0);
    EXPECT_EQ(FakeWatchOf(2), 0u);
    EXPECT_EQ(FakeHeldWatches(), 0);
    GuardSetEnforcing(true);
    Reported(2, "desktop Lab\nend\n");
    EXPECT_EQ(FakeRunningOn(2, L"Lab"), 1);
}

TEST_F(DesktopGuardTest, ASwapReplacesTheDesktopsPyxensWithoutOverlapOnAnyDesktop)
{
    Reported(2, "desktop Lab\ndesktop Other\nend\n");
    Reported(5, "desktop Lab\nend\n");
    FakeSetLoadTime(5, 700);
    std::vector<ChildId> old;
    for (const FakeChild& child : FakeChildren())
        old.push_back(child.id);
    size_t watches = FakeWatches().size();
    GuardSwapAll({2000, 3, L"pyxen.cfg"});
    RunService(60 * 1000);
    for (ChildId id : old)
        EXPECT_TRUE(FakeFindChild(id)->endedByGuard);
    EXPECT_EQ(FakeRunningIn(2), 3);
    EXPECT_EQ(FakeRunningIn(5), 2);
    EXPECT_EQ(FakeLongestOverlap(), 0u);
    EXPECT_EQ(FakeWatches().size(), watches);  // the watch reads no settings
    std::vector<std::wstring> applied;
    EXPECT_EQ(Entries(GuardEvent::SettingsApplied, &applied), 1);
    EXPECT_EQ(applied[2], L"2");  // sessions, not Pyxens

    GuardStop();
    EXPECT_EQ(FakeHeldChildren() + FakeHeldWatches(), 0);
    EXPECT_EQ(FakeStoppingReports(), 2);
}
