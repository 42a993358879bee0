// Edited settings on the fake: the files are real (the readers read them), their
// stamps are the fake's, so a test says exactly when and how a file changed.
#include "LoadCase.h"

#include "guard/FakeGuardSystem.h"
#include "config/LineReader.h"
#include "guard/SettingsStore.h"
#include "guard/SettingsWatch.h"
#include "policy/RegistryKey.h"
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

    // An interval set, then taken out again: back to the default, as a Pyxen starts.
    Write("pyxen.cfg", "INTER=2000\r\nSolitaire\r\nREAD games.txt\r\n");
    SettingsFolderChanged();
    EXPECT_EQ(RunFor(settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(interval, 2000);
    Write("pyxen.cfg", "Solitaire\r\nREAD games.txt\r\n");
    SettingsFolderChanged();
    EXPECT_EQ(RunFor(settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(interval, defaultInterval);
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

// The policy as Group Policy writes it (or an MDM, in the view it names): the switch in
// the policies' key, the lines as values of Settings.
const std::string policyKey = PYXEN_POLICY_KEY;
const std::string linesKey = policyKey + "\\Settings";

void SetSettingsPolicy(RegistryView view, int enabled, const std::vector<std::pair<std::string, std::string>>& lines)
{
    FakeDeleteRegistryKey(view, linesKey);
    for (const auto& line : lines)
        FakeSetRegistryText(view, linesKey, line.first, line.second);
    FakeSetRegistryNumber(view, policyKey, "SettingsFromPolicy", static_cast<uint32_t>(enabled));
}

std::vector<std::string> RuleNames(int count)
{
    std::vector<std::string> names;
    for (int i = 0; i < count; ++i)
        names.push_back(rules[i].name);
    return names;
}

TEST_F(SettingsWatchTest, ThePolicyDecidesWhileEnabledAndEachChangeIsRecorded)
{
    const std::wstring key = L"HKLM\\SOFTWARE\\Policies\\Pyxen\\Settings";
    // Names read as numbers: 10 after 2. ソ's second byte in Shift JIS is a backslash.
    // A CR that ends a value stays in its rule, as a lone CR at a line's end does in a file.
    SetSettingsPolicy(RegistryView::Native, 1, {{"10", "READ games.txt"}, {"1", "Chess"},
                                                {"2", "ソリティア :1"}, {"11", "Tail\r"}});
    SettingsPolicyChanged();
    EXPECT_EQ(RunFor(settingsQuietMs - 1), V{});  // policy processing may still be writing
    EXPECT_EQ(RunFor(1), V{SettingsVerdict::Applied});
    EXPECT_EQ(RuleNames(4), (std::vector<std::string>{"Chess", "\x83\x5C\x83\x8A\x83\x65\x83\x42\x83\x41",
                                                       "Minesweeper", "Tail\r"}));
    EXPECT_EQ(rules[1].method, 1);
    EXPECT_EQ(std::wstring(AppliedFiles()), key + L", games.txt");
    EXPECT_EQ(std::wstring(AppliedSource()), L"%%2041");
    EXPECT_EQ(FakeOutcome().at("Source") + L" " + FakeOutcome().at("Rules") + L" " + FakeOutcome().at("Result"),
              L"policy 4 applied");
    const std::wstring appliedAt = FakeOutcome().at("AppliedAt");
    EXPECT_EQ(appliedAt.size(), 20u);
    EXPECT_EQ(appliedAt.substr(0, 11), L"2026-12-07T");

    // pyxen.cfg waits; the list the policy names is watched.
    Write("pyxen.cfg", "Paint\r\n");
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{});
    Write("games.txt", "Minesweeper\r\nPinball\r\n");
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(AppliedRules(), 5);

    // Refused whole: the rules in force stay, the record keeps them and says why.
    struct Refusal {
        std::vector<std::pair<std::string, std::string>> lines;
        GuardEvent event;
        std::wstring second;  // the value, or the source
        std::wstring reason;
    } refusals[] = {
        {{{"1", "Chess"}, {"x", "Go"}}, GuardEvent::SettingsPolicyRefused, L"x",
         L"the value's name is not a number: x"},
        {{{"1", "# nothing but a comment"}}, GuardEvent::SettingsRefused, L"%%2041", L"no rule"},
        {{{"1", "READ missing.txt"}, {"2", "Chess"}}, GuardEvent::SettingsUnreadable, L"missing.txt",
         L"can't be read: missing.txt"},
    };
    for (const Refusal& r : refusals) {
        SetSettingsPolicy(RegistryView::Native, 1, r.lines);
        EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Refused});
        EXPECT_EQ(RunFor(2 * settingsPollMs), V{});  // once, until the next change
        EXPECT_EQ(FakeEvents().back().event, r.event);
        EXPECT_EQ(FakeEvents().back().strings[r.event == GuardEvent::SettingsUnreadable ? 0 : 1], r.second);
        EXPECT_EQ(FakeOutcome().at("Result") + L" " + FakeOutcome().at("Rules"), L"refused 5");
        EXPECT_EQ(FakeOutcome().at("RefusalReason"), r.reason);
    }

    // Disabled: pyxen.cfg decides again, as it is now; the last refusal is still told.
    SetSettingsPolicy(RegistryView::Native, 0, {{"1", "Chess"}});
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(RuleNames(1), std::vector<std::string>{"Paint"});
    EXPECT_EQ(FakeOutcome().at("Source") + L" " + FakeOutcome().at("Result"), L"file applied");
    EXPECT_EQ(FakeOutcome().at("RefusedSource"), L"policy");

    // An MDM that wrote into the 32-bit view is found there, and the entry says so.
    FakeDeleteRegistryKey(RegistryView::Native, policyKey);
    SetSettingsPolicy(RegistryView::Wow32, 1, {{"1", "Chess"}});
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(std::wstring(AppliedSource()), L"%%2042");  // the 32-bit view
    EXPECT_EQ(FakeOutcome().at("View"), L"32-bit");

    // Not configured: the file, with no entry of a refusal.
    size_t entries = FakeEvents().size();
    FakeDeleteRegistryKey(RegistryView::Wow32, policyKey);
    EXPECT_EQ(RunFor(settingsPollMs + settingsQuietMs), V{SettingsVerdict::Applied});
    EXPECT_EQ(RuleNames(1), std::vector<std::string>{"Paint"});
    EXPECT_EQ(FakeEvents().size(), entries);
}

TEST_F(SettingsWatchTest, APolicyFoundAtTheStartIsTheSettingsAndARefusedOneKeepsTheStore)
{
    SetSettingsPolicy(RegistryView::Native, 1, {{"1", "Chess"}});
    EXPECT_EQ(StartSettingsWatch("pyxen.cfg"), SettingsVerdict::Applied);
    EXPECT_EQ(RuleNames(1), std::vector<std::string>{"Chess"});
    // A value an MDM made a number: no line can come of it.
    FakeSetRegistryNumber(RegistryView::Native, linesKey, "2", 7);
    EXPECT_EQ(StartSettingsWatch("pyxen.cfg"), SettingsVerdict::Refused);
    EXPECT_EQ(FakeEvents().back().event, GuardEvent::SettingsPolicyRefused);
    EXPECT_EQ(FakeEvents().back().strings[2], L"%%2044");  // no text
}
