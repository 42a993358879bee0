// Edited settings on the fake: the files are real (the readers read them), their
// stamps are the fake's, so a test says exactly when and how a file changed.
#include "LoadCase.h"

#include "guard/FakeGuardSystem.h"
#include "guard/SettingsWatch.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>

namespace {

using V = std::vector<SettingsVerdict>;

class SettingsWatchTest : public testing::Test {
protected:
    void SetUp() override
    {
        ResetReaders();
        FakeGuardReset();
        Write("pyxen.cfg", "Solitaire\r\nREAD games.txt\r\n");
        Write("games.txt", "Minesweeper\r\n");
        StartSettingsWatch("pyxen.cfg");
    }

    // Saves the file and gives it a new stamp, as an editor's save would.
    void Write(const std::string& path, const std::string& text)
    {
        std::ofstream(path, std::ios::binary) << text;
        FakeSetStamp(path, FileStamp{++saves, text.size(), true});
    }

    // Runs the loop's checks, each when it is due, for ms; the verdicts that came.
    V RunFor(GuardTime ms)
    {
        V verdicts;
        GuardTime end = GuardNow() + ms;
        while (NextSettingsCheck() <= end) {
            FakeAdvance(std::max(NextSettingsCheck(), GuardNow()) - GuardNow());
            if (SettingsVerdict verdict = CheckSettings(); verdict != SettingsVerdict::Unchanged)
                verdicts.push_back(verdict);
        }
        FakeAdvance(end - GuardNow());
        return verdicts;
    }

    ScratchDirectory scratch;
    uint64_t saves = 0;
};

TEST_F(SettingsWatchTest, AnEditIsReadOnceItHasSettledAndReportedOnce)
{
    EXPECT_EQ(RunFor(5 * settingsPollMs), V{});
    EXPECT_TRUE(FakeEvents().empty());

    Write("pyxen.cfg", "Solitaire\r\nPaint\r\nREAD games.txt\r\n");
    SettingsFolderChanged();
    EXPECT_EQ(RunFor(settingsQuietMs - 1), V{});
    Write("pyxen.cfg", "Solitaire\r\nPaint\r\nChess\r\nREAD games.txt\r\n");  // still saving
    EXPECT_EQ(RunFor(settingsQuietMs - 1), V{});
    EXPECT_EQ(RunFor(2), V{SettingsVerdict::Applied});
    EXPECT_EQ(RunFor(3 * settingsPollMs), V{});

    EXPECT_TRUE(FakeEvents().empty());  // the swap reports it, once done
    EXPECT_EQ(std::wstring(AppliedRules()), L"4");
    EXPECT_EQ(std::wstring(AppliedFiles()), L"pyxen.cfg, games.txt");
}

TEST_F(SettingsWatchTest, AListOnAShareIsPolledAndItsAbsenceIsNoChange)
{
    Write("games.txt", "Minesweeper\r\nPinball\r\n");
    EXPECT_EQ(RunFor(settingsPollMs - 1), V{});  // no notification for a list elsewhere
    EXPECT_EQ(RunFor(1 + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(std::wstring(AppliedRules()), L"3");

    FakeSetStamp("games.txt", FileStamp{0, 0, false});  // the share went away
    EXPECT_EQ(RunFor(3 * settingsPollMs), V{});
    FakeSetStamp("games.txt", FileStamp{saves, 22, true});  // back, as it was
    EXPECT_EQ(RunFor(3 * settingsPollMs), V{});

    Write("pyxen.cfg", "READ other.txt\r\n");  // a new list is watched from now on
    Write("other.txt", "Chess\r\n");
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    Write("other.txt", "Chess\r\nGo\r\n");
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(std::wstring(AppliedRules()) + L" " + AppliedFiles(), L"2 pyxen.cfg, other.txt");
}

TEST_F(SettingsWatchTest, ABrokenEditIsRefusedWithItsReasonAndTriedAgainAtTheNextChange)
{
    struct Case {
        const char* settings;
        std::wstring reason;
    } cases[] = {
        {"# every rule taken out\r\nINTER=1000\r\n", L"ルールが 1 件もありません"},
        {"Solitaire\r\nREAD missing.txt\r\n",
         L"ERRER : プログラムリストが読み込めません!! missing.txt"},
    };
    for (const Case& c : cases) {
        Write("pyxen.cfg", c.settings);
        EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Refused});
        EXPECT_EQ(RunFor(3 * settingsPollMs), V{});  // one entry, no retry without a change
        EXPECT_EQ(FakeEvents().back().event, GuardEvent::SettingsRefused);
        EXPECT_EQ(FakeEvents().back().strings[0], c.reason);
    }

    Write("missing.txt", "Pinball\r\n");  // the list turns up: settings now complete
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(FakeEvents().size(), 2u);
}

}  // namespace
