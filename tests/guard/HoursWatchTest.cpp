// The enforcement hours on the fake: a real hours.cfg (the readers read it), the fake's
// stamps and wall clock, which starts on Monday 2026-12-07 00:00 UTC in the zone UTC.
#include "LoadCase.h"

#include "ServiceDriver.h"

#include "guard/EventWords.h"
#include "guard/Guard.h"
#include "guard/HoursWatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace {

const int64_t monday = DaysFromDate(2026, 12, 7) * secondsPerDay;
const GuardTime minuteMs = 60 * 1000;

class HoursWatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetReaders();
        FakeGuardReset();
        FakeSetSessions({1, 2});
    }

    void Start(const std::string& hours)
    {
        Write(hours);
        BeginService("hours.cfg");
        begun = true;
    }

    void Write(const std::string& text)
    {
        std::ofstream("hours.cfg", std::ios::binary) << text;
        FakeSetStamp("hours.cfg", FileStamp{++saves, text.size(), true});
        if (begun)
            FolderChanged();
    }

    static void ClockChanged()
    {
        GuardWake wake;
        wake.clockChanged = true;
        Wake(wake);
    }

    static void FolderChanged()
    {
        GuardWake wake;
        wake.folderChanged = true;
        Wake(wake);
    }

    void RunFor(GuardTime ms) { RunService(ms); }

    void RunUntil(int64_t utc) { RunFor(static_cast<GuardTime>(utc - GuardUtcNow()) * 1000); }

    int Running() { return FakeRunningIn(1) + FakeRunningIn(2) + FakeRunningIn(3); }

    std::vector<FakeEvent> Hours()
    {
        std::vector<FakeEvent> hours;
        for (const FakeEvent& event : FakeEvents())
            if (event.event >= GuardEvent::HoursBegan)
                hours.push_back(event);
        return hours;
    }

    ScratchDirectory scratch;
    uint64_t saves = 0;
    bool begun = false;
};

using Strings = std::vector<std::wstring>;

TEST_F(HoursWatchTest, PyxensRunFromEachBeginningToEachEndAndNotBetween)
{
    Start("Mon 08:40-12:30\nMon 23:00-01:00\n");
    EXPECT_EQ(Running(), 0);
    ASSERT_EQ(Hours().size(), 2u);
    EXPECT_EQ(Hours()[0].strings, (Strings{L"hours.cfg", L"2", L"%%2024"}));
    EXPECT_EQ(Hours()[1].event, GuardEvent::HoursEnded);
    EXPECT_EQ(Hours()[1].strings[1], L"2026/12/07 (%%2030) 08:40");

    // A logon outside the hours gets none, and wakes come at least once a minute.
    FakeSetSessions({1, 2, 3});
    GuardLogon(3);
    EXPECT_LE(NextHoursCheck() - GuardNow(), hoursPollMs);
    RunUntil(monday + (8 * 60 + 40) * 60 - 1);
    EXPECT_EQ(Running(), 0);

    // The guard wakes at each boundary itself: every session gets a Pyxen, the late
    // logon's too, and every Pyxen ends, with no time between.
    RunFor(1000);
    EXPECT_EQ(Running(), 3);
    for (const FakeChild& child : FakeChildren())
        EXPECT_EQ(child.started, GuardNow());
    EXPECT_EQ(Hours().back().event, GuardEvent::HoursBegan);
    EXPECT_EQ(Hours().back().strings[1], L"2026/12/07 (%%2030) 12:30");
    RunUntil(monday + 12 * 3600 + 30 * 60);
    EXPECT_EQ(Running(), 0);
    for (const FakeChild& child : FakeChildren())
        EXPECT_EQ(child.ended, GuardNow());
    EXPECT_EQ(Hours().back().strings[1], L"2026/12/07 (%%2030) 23:00");

    // Past midnight, then a week on: one entry for each beginning and each end.
    size_t before = Hours().size();
    RunUntil(monday + 7 * secondsPerDay + 10 * 3600);
    EXPECT_EQ(Hours().size(), before + 3);
    EXPECT_EQ(Running(), 3);
    EXPECT_EQ(Hours().back().strings[1], L"2026/12/14 (%%2030) 12:30");

    // Saved again as it was: nothing to tell.
    before = Hours().size();
    Write("Mon 08:40-12:30\nMon 23:00-01:00\n");
    RunFor(hoursQuietMs);
    EXPECT_EQ(Hours().size(), before);
}

TEST_F(HoursWatchTest, AWakeAfterSleepOrASetClockFindsWhereTheHoursAre)
{
    Start("Mon 08:40-12:30\n");
    FakeAdvance(1000);
    // Slept from 00:00 to 09:00: the resume wakes the loop, which enforces at once.
    FakeSetUtc(monday + 9 * 3600);
    ClockChanged();
    EXPECT_EQ(Running(), 2);
    // Woken after the range: no Pyxen, whatever it missed.
    FakeSetUtc(monday + 13 * 3600);
    ClockChanged();
    EXPECT_EQ(Running(), 0);
    EXPECT_EQ(Hours().size(), 4u);  // applied, ended, began, ended
}

TEST_F(HoursWatchTest, ABrokenEditIsRefusedWholeAndTheHoursInForceStay)
{
    FakeSetUtc(monday + 9 * 3600);
    Start("Mon 08:40-12:30\n");
    EXPECT_EQ(Running(), 2);
    size_t before = Hours().size();

    Write("Mon 08:40-12:30\nTue 25:00-26:00\n");
    RunFor(hoursQuietMs);
    Write("ZONE=Nowhere Standard Time\nMon 10:00-11:00\n");
    RunFor(hoursQuietMs);
    ASSERT_EQ(Hours().size(), before + 2);
    EXPECT_EQ(Hours()[before].event, GuardEvent::HoursRefused);
    EXPECT_EQ(Hours()[before].strings[1], L"2");
    EXPECT_EQ(Hours()[before + 1].event, GuardEvent::HoursRefused);
    EXPECT_EQ(Running(), 2);
    EXPECT_EQ(FakeChildren().size(), 2u);

    // Not read again until it changes; then applied, and it leaves out now.
    RunFor(5 * minuteMs);
    EXPECT_EQ(Hours().size(), before + 2);
    FakeSetZone("Tokyo Standard Time", ZoneRules{{-540, 0, 0, {}, {}}, 0, 0, {}});
    Write("ZONE=Tokyo Standard Time\nMon 08:40-12:30\n");
    RunFor(hoursQuietMs);
    EXPECT_EQ(Running(), 0);
    EXPECT_EQ(Hours()[before + 2].strings,
              (Strings{L"hours.cfg", L"1", L"Tokyo Standard Time"}));
    // Hours that name their zone take no note of the system's.
    FakeSetSystemZone("Tokyo Standard Time");
    RunFor(hoursPollMs);
    EXPECT_EQ(Hours().size(), before + 4);  // applied, ended

    // Taken away by an administrator: no hours, so always.
    std::remove("hours.cfg");
    FileStamp deleted{0, 0, false};
    deleted.gone = true;
    FakeSetStamp("hours.cfg", deleted);
    FolderChanged();
    RunFor(hoursQuietMs);
    EXPECT_EQ(Running(), 2);
}

TEST_F(HoursWatchTest, StartingWithBrokenHoursEnforcesAlwaysUntilTheyAreFixed)
{
    Start("Sun 08:40-08:40\n");
    EXPECT_EQ(Running(), 2);
    ASSERT_EQ(Hours().size(), 1u);
    EXPECT_EQ(Hours()[0].event, GuardEvent::HoursFailClosed);
    Write("Sun 08:40-09:40\n");
    RunFor(hoursQuietMs);
    EXPECT_EQ(Running(), 0);
}

TEST_F(HoursWatchTest, AFileThatIsThereButCantBeOpenedIsRefusedAndReadOnceItCanBe)
{
    FakeSetUtc(monday + 9 * 3600);
    Start("Mon 08:40-12:30\n");
    // A link to itself fails to open as a file denied to the guard does; then a user's
    // program holds it open. Tried at each poll: one entry for each reason, and the hours
    // in force stay.
    std::filesystem::remove("hours.cfg");
    std::filesystem::create_symlink("hours.cfg", "hours.cfg");
    FakeSetStamp("hours.cfg", FileStamp{++saves, 0, true});
    RunFor(hoursQuietMs + hoursPollMs);
    FakeHoldFile("hours.cfg", true);
    RunUntil(monday + 12 * 3600 + 30 * 60);
    EXPECT_EQ(Running(), 0);
    // Let go, with no edit: read at the next poll.
    FakeHoldFile("hours.cfg", false);
    std::filesystem::remove("hours.cfg");
    std::ofstream("hours.cfg") << "Mon 08:40-15:00\n";
    RunFor(hoursPollMs);
    EXPECT_EQ(Running(), 2);
    ASSERT_EQ(Hours().size(), 7u);  // applied, began, refused twice, ended, applied, began
    EXPECT_EQ(Hours()[2].strings, (Strings{L"hours.cfg", L"0", HoursFaultWord(HoursFault::FileUnreadable)}));
    EXPECT_EQ(Hours()[3].strings, (Strings{L"hours.cfg", L"0", fileHeldWord}));
}

TEST_F(HoursWatchTest, HoursNamingNoZoneKeepTheSystemsZoneAsItWasWhenApplied)
{
    FakeSetZone("Tokyo Standard Time", ZoneRules{{-540, 0, 0, {}, {}}, 0, 0, {}});
    FakeSetZone("Hawaiian Standard Time", ZoneRules{{600, 0, 0, {}, {}}, 0, 0, {}});
    FakeSetSystemZone("Tokyo Standard Time");
    // Monday 10:00 in Tokyo, Sunday 15:00 in Hawaii; the polls come half a minute off the
    // boundaries.
    FakeSetUtc(monday + 3600 + 30);
    FakeSetPolicy(PolicyHours::Lines, {"Mon 08:40-12:30"});
    Start("");
    // A standard user's tzutil /s, then a clock set: the Pyxens run on until 12:30 in Tokyo.
    FakeSetSystemZone("Hawaiian Standard Time");
    RunFor(hoursPollMs);
    ClockChanged();
    RunUntil(monday + 3 * 3600 + 30 * 60 - 1);
    EXPECT_EQ(Running(), 2);
    RunFor(1000);
    EXPECT_EQ(Running(), 0);
    // An edit applies them again, in the zone the system has then.
    FakeSetPolicy(PolicyHours::Lines, {"Mon 08:40-12:30", "Tue 08:40-12:30"});
    RunUntil(monday + 18 * 3600 + 40 * 60);
    EXPECT_EQ(Running(), 2);
    ASSERT_EQ(Hours().size(), 6u);  // applied, began, one for the zone, ended, applied, began
    const std::wstring policy = L"HKLM\\SOFTWARE\\Policies\\Pyxen";
    EXPECT_EQ(Hours()[2].strings,
              (Strings{policy, L"Tokyo Standard Time", L"Hawaiian Standard Time", L"Tokyo Standard Time"}));
    EXPECT_EQ(Hours()[4].strings,
              (Strings{policy, L"2", L"Hawaiian Standard Time %%2023"}));

    // A zone the system gives no name is told as such.
    FakeSetSystemZone("");
    RunFor(hoursPollMs);
    ASSERT_EQ(Hours().size(), 7u);
    EXPECT_EQ(Hours()[6].strings[2], noZoneNameWord);
}

TEST_F(HoursWatchTest, HoursThatNeverEndSaySoInAnEntryOfTheirOwn)
{
    Start("Mon-Sun 00:00-24:00\n");
    EXPECT_EQ(Running(), 2);
    ASSERT_EQ(Hours().size(), 2u);  // applied, began
    EXPECT_EQ(Hours()[1].event, GuardEvent::HoursBeganNoEnd);
    EXPECT_EQ(Hours()[1].strings, Strings{L"hours.cfg"});
}

TEST_F(HoursWatchTest, HoursWithNoRangeTakeNoNoteOfTheSystemsZone)
{
    FakeSetSystemZone("Tokyo Standard Time");
    Start("# always\n");
    FakeSetSystemZone("Hawaiian Standard Time");
    RunFor(2 * hoursPollMs);
    ASSERT_EQ(Hours().size(), 1u);
    EXPECT_EQ(Hours()[0].event, GuardEvent::HoursApplied);  // and none for the zone
    EXPECT_EQ(Running(), 2);
}

TEST_F(HoursWatchTest, ThePolicyIsNoticedWithinAMinuteAndReplacesTheFile)
{
    Start("Sun 08:40-09:40\n");
    EXPECT_EQ(Running(), 0);
    FakeSetPolicy(PolicyHours::Always);
    RunFor(hoursPollMs);
    EXPECT_EQ(Running(), 2);
    EXPECT_EQ(Hours().back().event, GuardEvent::HoursBeganNoEnd);
    FakeSetPolicy(PolicyHours::Lines, {"Mon 00:00-24:00", "Mon 24:00-01:00  # 24:00 only ends a range"});
    RunFor(hoursPollMs);
    EXPECT_EQ(Hours().back().event, GuardEvent::HoursRefused);
    EXPECT_EQ(Hours().back().strings[0], L"HKLM\\SOFTWARE\\Policies\\Pyxen");
    EXPECT_EQ(Hours().back().strings[1], L"2");  // the policy's line
    FakeSetPolicy(PolicyHours::NotConfigured);
    RunFor(hoursPollMs);
    EXPECT_EQ(Running(), 0);
    // Refused straight after the file: the entry names the policy, not the file.
    FakeSetPolicy(PolicyHours::Lines, {"Mon 25:00-26:00"});
    RunFor(hoursPollMs);
    EXPECT_EQ(Hours().back().event, GuardEvent::HoursRefused);
    EXPECT_EQ(Hours().back().strings[0], L"HKLM\\SOFTWARE\\Policies\\Pyxen");
}

TEST_F(HoursWatchTest, HoursInAZoneThePCLacksAreRefusedUntilItHasIt)
{
    FakeSetUtc(monday + 9 * 3600);
    Start("ZONE=Tokyo Standard Time\nMon 08:40-12:30\n");
    EXPECT_EQ(Running(), 2);
    ASSERT_EQ(Hours().size(), 1u);
    EXPECT_EQ(Hours()[0].event, GuardEvent::HoursFailClosed);
    EXPECT_EQ(Hours()[0].strings,
              (Strings{L"hours.cfg", L"0", L"%%2021"}));
    // 18:00 in Tokyo once Windows has the zone and the file is saved again.
    FakeSetZone("Tokyo Standard Time", ZoneRules{{-540, 0, 0, {}, {}}, 0, 0, {}});
    Write("ZONE=Tokyo Standard Time\nMon 08:40-12:30\n");
    RunFor(hoursQuietMs);
    EXPECT_EQ(Running(), 0);
    ASSERT_EQ(Hours().size(), 3u);  // refused, applied, ended
    EXPECT_EQ(Hours()[1].strings, (Strings{L"hours.cfg", L"1", L"Tokyo Standard Time"}));
    EXPECT_EQ(Hours()[2].strings, (Strings{L"hours.cfg", L"2026/12/14 (%%2030) 08:40"}));
}

}  // namespace
