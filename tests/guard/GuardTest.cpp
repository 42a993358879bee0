#include "guard/FakeGuardSystem.h"
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
        GuardStart();
    }

    // Runs the session's Pyxen for ms, then ends it from outside.
    void RunThenEnd(SessionId session, GuardTime ms, unsigned long status = 1)
    {
        FakeAdvance(ms);
        FakeEndChild(FakeChildOf(session), status);
        GuardPoll();
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
    GuardLogon(7);
    EXPECT_EQ(FakeRunningIn(7), 1);
}

TEST_F(GuardTest, AnEmptySessionListMeansTheConsole)
{
    FakeGuardReset();
    FakeSetConsoleSession(1);
    GuardStart();
    EXPECT_EQ(FakeRunningIn(1), 1);
    RunThenEnd(1, 2000);  // the console keeps its user while no session is listed
    EXPECT_EQ(FakeRunningIn(1), 1);
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
    GuardPoll();
    EXPECT_EQ(FakeRunningIn(2), 0);
    FakeAdvance(1);
    GuardPoll();
    EXPECT_EQ(FakeRunningIn(2), 1);

    RunThenEnd(2, 3000);  // quick again after the pause: held back at once, for longer
    EXPECT_EQ(FakeRunningIn(2), 0);
    EXPECT_EQ(FakeEvents().back().strings[3], L"240");

    FakeAdvance(2 * firstHoldMs);
    GuardPoll();
    RunThenEnd(2, quickEndMs);  // it ran long enough: the next end restarts at once
    EXPECT_EQ(FakeRunningIn(2), 1);
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::PyxenRestarted);
}

TEST_F(GuardTest, PausesStopAtTheLongest)
{
    FakeEndAtStart(2, true);
    for (int end = 0; end <= quickEndsAllowed; ++end)
        RunThenEnd(2, 1000);
    for (int pause = 0; pause < 8; ++pause) {
        FakeAdvance(GuardNextWake() - GuardNow());
        GuardPoll();  // starts one, which ends at once
        GuardPoll();
    }
    EXPECT_EQ(GuardNextWake() - GuardNow(), longestHoldMs);
    EXPECT_EQ(FakeEvents().back().strings[3], L"3600");
}

TEST_F(GuardTest, AFailedStartIsReportedAndTriedAfterAPause)
{
    FakeFailStarts(2, 1314);
    RunThenEnd(2, 5 * 60 * 1000);
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::PyxenStartFailed);
    EXPECT_EQ(FakeEvents().back().strings, (std::vector<std::wstring>{L"2", L"LAB\\pupil1", L"1314"}));
    size_t entries = FakeEvents().size();
    FakeAdvance(firstHoldMs / 2);
    GuardPoll();
    EXPECT_EQ(FakeEvents().size(), entries);
    FakeFailStarts(2, 0);
    FakeAdvance(GuardNextWake() - GuardNow());
    GuardPoll();
    EXPECT_EQ(FakeRunningIn(2), 1);
}

TEST_F(GuardTest, ASwapStartsTheNewPyxenBeforeEndingTheOld)
{
    ChildId old2 = FakeChildOf(2);
    for (int end = 0; end <= quickEndsAllowed; ++end)
        RunThenEnd(5, 1000);
    ASSERT_EQ(FakeRunningIn(5), 0);

    EXPECT_EQ(GuardSwapAll(2000), 1);
    ChildId new2 = FakeChildOf(2);
    EXPECT_TRUE(FakeFindChild(new2)->ready);
    EXPECT_EQ(FakeRunningIn(5), 1);  // released from its pause
    // The old one sweeps on until just before the new one's first sweep.
    GuardTime swapped = GuardNow();
    EXPECT_EQ(GuardNextWake(), swapped + 2000 - swapMarginMs);
    FakeAdvance(2000 - swapMarginMs - 1);
    GuardPoll();
    EXPECT_FALSE(FakeFindChild(old2)->endedByGuard);
    FakeAdvance(1);
    GuardPoll();
    EXPECT_TRUE(FakeFindChild(old2)->endedByGuard);
    EXPECT_LT(FakeFindChild(new2)->startStep, FakeFindChild(old2)->endStep);
    EXPECT_EQ(FakeRunningIn(2), 1);

    FakeEndAtStart(2, true);  // the new one loads nothing: the old one stays
    EXPECT_EQ(GuardSwapAll(0), 1);
    EXPECT_EQ(FakeChildOf(2), new2);
    EXPECT_EQ(FakeChildren().size(), 8u);  // one new Pyxen tried in each session
    EXPECT_EQ(FakeRunningIn(2), 1);
}

TEST_F(GuardTest, StopEndsEveryPyxenAndIsReportedLast)
{
    ChildId children[8];
    ASSERT_EQ(GuardChildren(children, 8), 2);
    GuardStop();
    EXPECT_EQ(FakeRunningIn(2) + FakeRunningIn(5), 0);
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::GuardStopped);
}

}  // namespace
