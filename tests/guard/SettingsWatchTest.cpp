// Edited settings on the fake: the files are real (the readers read them), their
// stamps are the fake's, so a test says exactly when and how a file changed.
#include "LoadCase.h"

#include "guard/FakeGuardSystem.h"
#include "config/LineReader.h"
#include "guard/SettingsStore.h"
#include "guard/SettingsWatch.h"
#include "rules/Rule.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <unistd.h>

namespace {

FILE* OpenUnlessHeld(const char* path)
{
    return FakeFileHeld(path) ? nullptr : fopen(path, "rb");
}

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

    void TearDown() override { openConfigFile = opener; }

    ScratchDirectory scratch;
    uint64_t saves = 0;
    FILE* (*opener)(const char*) = openConfigFile;
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
    EXPECT_EQ(AppliedRules(), 4);
    EXPECT_EQ(std::wstring(AppliedFiles()), L"pyxen.cfg, games.txt");

    // One letter changed, the size the same: a new rule all the same.
    Write("pyxen.cfg", "Solitaire\r\nPaint\r\nChest\r\nREAD games.txt\r\n");
    SettingsFolderChanged();
    EXPECT_EQ(RunFor(settingsQuietMs), V{SettingsVerdict::Applied});
}

TEST_F(SettingsWatchTest, AListOnAShareIsPolledAndItsAbsenceIsNoChange)
{
    Write("games.txt", "Minesweeper\r\nPinball\r\n");
    EXPECT_EQ(RunFor(settingsPollMs - 1), V{});  // no notification for a list elsewhere
    EXPECT_EQ(RunFor(1 + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(AppliedRules(), 3);

    FakeSetStamp("games.txt", FileStamp{0, 0, false});  // the share went away
    EXPECT_EQ(RunFor(3 * settingsPollMs), V{});
    FakeSetStamp("games.txt", FileStamp{saves, 22, true});  // back, as it was
    EXPECT_EQ(RunFor(3 * settingsPollMs), V{});

    Write("pyxen.cfg", "READ other.txt\r\n");  // a new list is watched from now on
    Write("other.txt", "Chess\r\n");
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    Write("other.txt", "Chess\r\nGo\r\n");
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(AppliedRules(), 2);
    EXPECT_EQ(std::wstring(AppliedFiles()), L"pyxen.cfg, other.txt");
}

TEST_F(SettingsWatchTest, ABrokenEditIsRefusedWithItsReasonAndTriedAgainAtTheNextChange)
{
    struct Case {
        const char* settings;
        GuardEvent event;
        std::wstring first;
    } cases[] = {
        {"# every rule taken out\r\nINTER=1000\r\n", GuardEvent::SettingsRefused, L"pyxen.cfg"},
        {"Solitaire\r\nREAD missing.txt\r\n", GuardEvent::SettingsUnreadable, L"missing.txt"},
    };
    for (const Case& c : cases) {
        Write("pyxen.cfg", c.settings);
        EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Refused});
        EXPECT_EQ(RunFor(3 * settingsPollMs), V{});  // one entry, no retry without a change
        EXPECT_EQ(FakeEvents().back().event, c.event);
        EXPECT_EQ(FakeEvents().back().strings[0], c.first);
    }

    Write("missing.txt", "Pinball\r\n");  // the list turns up: settings now complete
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(FakeEvents().size(), 2u);
}

// The rules as the readers left them, with the interval.
std::vector<std::pair<std::string, int>> Loaded(int last)
{
    std::vector<std::pair<std::string, int>> loaded{{"interval", interval}};
    for (int i = 0; i <= last; ++i)
        loaded.emplace_back(rules[i].name, rules[i].method);
    return loaded;
}

TEST_F(SettingsWatchTest, TheStoreGivesAPyxenEveryRuleAsTheInstallFolderGaveIt)
{
    // Suffixes, METHOD lines, a list's keyword-like rules, an over-long line, a CR that
    // ends a name, and a list of ANSI bytes that would pass for UTF-8 on their own.
    Write("pyxen.cfg", "INTER=750\nMETHOD=12\nEditor\nChess :0\na:1\nab:c :2\nREAD games.txt\n" +
                           std::string(300, 'x') + "\nREAD games.txt\nTail\r");
    Write("games.txt", "#\xFF\nINTERNET Radio\nREAD me\nMETHOD=-3\n\xC3\xA9\n" +
                           std::string(247, 'y') + "\r");
    Write("pyxen.exe", "MZ");
    ASSERT_FALSE(OpenSettingsStore("."));  // nothing accepted yet: the install folder
    EXPECT_EQ(std::string(PyxenFolder()), ".");
    ASSERT_EQ(StartSettingsWatch("pyxen.cfg"), SettingsVerdict::Applied);
    auto installed = Loaded(AppliedRules() - 1);
    ASSERT_TRUE(WriteSettingsStore(AcceptedText()));
    EXPECT_EQ(std::string(PyxenFolder()), "./Guard");

    // A Pyxen in the store: its folder is the current one.
    ResetReaders();
    ASSERT_EQ(chdir("Guard"), 0);
    int last = LoadSettings(storeSettingsName);
    ASSERT_EQ(chdir(".."), 0);
    EXPECT_EQ(Loaded(last), installed);
    EXPECT_EQ(installed.size(), 16u);

    // The guard starts again: the same settings are no edit, and held ones are not read.
    OpenSettingsStore(".");
    EXPECT_EQ(StartSettingsWatch("pyxen.cfg"), SettingsVerdict::Unchanged);
    openConfigFile = OpenUnlessHeld;
    FakeHoldFile("games.txt", true);
    EXPECT_EQ(StartSettingsWatch("pyxen.cfg"), SettingsVerdict::Refused);
    ASSERT_EQ(FakeEvents().size(), 1u);
    EXPECT_EQ(FakeEvents()[0].event, GuardEvent::SettingsKept);
    EXPECT_EQ(FakeEvents()[0].strings[2], L"./Guard");
    FakeHoldFile("games.txt", false);  // let go: read again, and the same as the store's
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{});
    Write("games.txt", "Minesweeper\r\n");
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(FakeEvents().size(), 1u);
}

TEST_F(SettingsWatchTest, AnEditOfAHeldFileIsToldOnceAndReadOnceLetGo)
{
    openConfigFile = OpenUnlessHeld;
    Write("games.txt", "Minesweeper\r\nPinball\r\n");
    FakeHoldFile("games.txt", true);
    EXPECT_EQ(RunFor(4 * settingsPollMs), V{SettingsVerdict::Refused});
    ASSERT_EQ(FakeEvents().size(), 1u);
    EXPECT_EQ(FakeEvents()[0].event, GuardEvent::SettingsHeld);
    FakeHoldFile("games.txt", false);
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(AppliedRules(), 3);

    // Held again at a later edit: told again.
    Write("games.txt", "Minesweeper\r\n");
    FakeHoldFile("games.txt", true);
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Refused});
    EXPECT_EQ(FakeEvents().size(), 2u);
    EXPECT_EQ(FakeEvents()[1].event, GuardEvent::SettingsHeld);
}

}  // namespace
