// What the case files can't show: behaviour across several loads, and what the readers
// tell an observer (the settings checker explains files through it).
#include "LoadCase.h"

#include "config/ConfigObserver.h"
#include "config/Settings.h"
#include "platform/FakeDesktop.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

const std::string casesDirectory = PYXEN_CONFIG_CASES;

struct Event {
    ConfigEvent event;
    std::string path;
    int number;
    std::string content;
    int value;
};

std::vector<Event> events;

void Record(ConfigEvent event, const ConfigLine& line, int value)
{
    events.push_back({event, line.path, line.number, std::string(line.content, line.length), value});
}

class Readers : public testing::Test {
protected:
    void SetUp() override
    {
        ResetReaders();
        events.clear();
    }
    void TearDown() override { configObserver = nullptr; }

    std::vector<int> LinesOf(ConfigEvent kind) const
    {
        std::vector<int> numbers;
        for (const Event& e : events)
            if (e.event == kind)
                numbers.push_back(e.number);
        return numbers;
    }
};

// Each start is told of a full table once, however many rules are dropped.
TEST_F(Readers, TooManyRulesIsToldOncePerLoad)
{
    ScratchDirectory scratch;  // the list is named relative to the current directory
    std::filesystem::copy_file(casesDirectory + "/rules-overflow-in-list.cfg", "settings.cfg");
    std::filesystem::copy_file(casesDirectory + "/rules-overflow-list.txt", "rules-overflow-list.txt");

    EXPECT_EQ(249, LoadSettings("settings.cfg"));
    EXPECT_EQ(1u, FakeErrorBoxes().size());
    EXPECT_EQ(249, LoadSettings("settings.cfg"));
    EXPECT_EQ(2u, FakeErrorBoxes().size());
}

// Pieces of one over-long line share its line number; only a piece whose line goes on
// after it counts as cut (249 characters followed by the line end, or by the end of the
// file, are a whole line).
TEST_F(Readers, LongLinePiecesKeepTheirLineNumber)
{
    configObserver = Record;
    EXPECT_EQ(13, LoadSettings((casesDirectory + "/long-lines.cfg").c_str()));

    EXPECT_EQ((std::vector<int>{2, 3, 3, 4, 4, 4, 5, 5, 6, 7, 8, 9, 10, 11}), LinesOf(ConfigEvent::RuleAdded));
    EXPECT_EQ((std::vector<int>{3, 4, 4, 5, 7, 8}), LinesOf(ConfigEvent::LineCut));
    EXPECT_EQ((std::vector<int>{7}), LinesOf(ConfigEvent::IntervalSet));
}

TEST_F(Readers, ObserverHearsEveryLineKindWithItsFile)
{
    ScratchDirectory scratch;
    std::ofstream("settings.cfg") << "#c\nINTER=300\nMETHOD=1\nREAD list.txt\n:x\nREAD\nREAD gone.txt\nCalc\n";
    std::ofstream("list.txt") << "METHOD=2\nDesk\n";
    configObserver = Record;
    EXPECT_EQ(1, LoadSettings("settings.cfg"));

    std::vector<std::string> seen;
    for (const Event& e : events)
        seen.push_back(std::to_string(static_cast<int>(e.event)) + " " + e.path + ":" + std::to_string(e.number) +
                       " [" + e.content + "] " + std::to_string(e.value));
    auto line = [](ConfigEvent event, const char* where, const char* content, int value) {
        return std::to_string(static_cast<int>(event)) + " " + where + " [" + content + "] " + std::to_string(value);
    };
    // Each file that opens is named with its encoding first (0: Ansi).
    EXPECT_EQ((std::vector<std::string>{
                  line(ConfigEvent::FileEncoding, "settings.cfg:0", "", 0),
                  line(ConfigEvent::IntervalSet, "settings.cfg:2", "INTER=300", 300),
                  line(ConfigEvent::MethodSet, "settings.cfg:3", "METHOD=1", 1),
                  line(ConfigEvent::ListNamed, "settings.cfg:4", "READ list.txt", 5),
                  line(ConfigEvent::FileEncoding, "list.txt:0", "", 0),
                  line(ConfigEvent::MethodSet, "list.txt:1", "METHOD=2", 2),
                  line(ConfigEvent::RuleAdded, "list.txt:2", "Desk", 0),
                  line(ConfigEvent::LineIgnored, "settings.cfg:5", ":x", 0),
                  line(ConfigEvent::LineIgnored, "settings.cfg:6", "READ", 0),
                  line(ConfigEvent::ListNamed, "settings.cfg:7", "READ gone.txt", 5),
                  line(ConfigEvent::FileUnreadable, "gone.txt:0", "", 0),
                  line(ConfigEvent::RuleAdded, "settings.cfg:8", "Calc", 1),
              }),
              seen);
    EXPECT_EQ(1u, FakeErrorBoxes().size());
}

// Each file is named with its encoding as it opens; converting tells, line by line,
// of invalid sequences, a character the code page lacks, and a mark after the start.
TEST_F(Readers, ObserverHearsEncodingsAndWhatConvertingMet)
{
    ScratchDirectory scratch;
    std::filesystem::copy_file(casesDirectory + "/notepad-list.txt", "notepad-list.txt");
    std::ofstream("no-mark.txt", std::ios::binary) << std::string("I\0N\0T\0E\0R\0", 10);
    configObserver = Record;
    for (const char* name : {"notepad-ansi.cfg", "notepad-utf8.cfg", "notepad-utf8-mark.cfg", "notepad-utf16le.cfg",
                             "notepad-utf16be.cfg", "utf8-invalid.cfg", "no-mark.txt"}) {
        if (!std::filesystem::exists(name))
            std::filesystem::copy_file(casesDirectory + "/" + name, name);
        LoadSettings(name);
    }
    std::vector<std::string> seen;
    for (const Event& e : events)
        if (e.event >= ConfigEvent::FileEncoding && e.event <= ConfigEvent::MarkInside)
            seen.push_back(e.path + ":" + std::to_string(e.number) + " " + std::to_string(static_cast<int>(e.event)) +
                           "=" + std::to_string(e.value));
    auto told = [](const char* where, ConfigEvent event, int value) {
        return std::string(where) + " " + std::to_string(static_cast<int>(event)) + "=" + std::to_string(value);
    };
    const ConfigEvent encoding = ConfigEvent::FileEncoding;
    const int listEncoding = static_cast<int>(TextEncoding::Utf16Le);
    EXPECT_EQ((std::vector<std::string>{
                  told("notepad-ansi.cfg:0", encoding, 0), told("notepad-list.txt:0", encoding, listEncoding),
                  told("notepad-utf8.cfg:0", encoding, 1), told("notepad-list.txt:0", encoding, listEncoding),
                  told("notepad-utf8-mark.cfg:0", encoding, 2), told("notepad-list.txt:0", encoding, listEncoding),
                  told("notepad-utf16le.cfg:0", encoding, 3), told("notepad-list.txt:0", encoding, listEncoding),
                  told("notepad-utf16be.cfg:0", encoding, 4), told("notepad-list.txt:0", encoding, listEncoding),
                  told("utf8-invalid.cfg:0", encoding, 2), told("utf8-invalid.cfg:1", ConfigEvent::TextInvalid, 13),
                  told("utf8-invalid.cfg:2", ConfigEvent::CharacterLost, 0xE9),
                  told("utf8-invalid.cfg:3", ConfigEvent::MarkInside, 0),
                  told("no-mark.txt:0", encoding, 0), told("no-mark.txt:0", ConfigEvent::LooksLikeUtf16, 0),
              }),
              seen);
}

}  // namespace
