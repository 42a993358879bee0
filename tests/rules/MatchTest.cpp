// The three match methods, seen through one sweep over the in-memory desktop, and a
// randomized cross-check of Rule::Matches against a plain std::string reference.
#include "tests/rules/RuleTable.h"

#include <algorithm>
#include <climits>
#include <random>
#include <string>
#include <vector>

namespace {

class MatchTest : public RuleTableTest {
protected:
    // Close requests a window with this title receives from one sweep over a table
    // holding just this rule. The window refuses, so every request is counted.
    int Requests(const std::string& title, const std::string& name, int method)
    {
        ClearRules();
        FakeReset();
        AddRule(name, method);
        HWND window = FakeAddWindow(title, OnClose::Refuse);
        Sweep();
        return FakeCloseRequests(window);
    }
};

TEST_F(MatchTest, ExactNeedsTheWholeTitleByteForByte)
{
    EXPECT_EQ(1, Requests("Editor", "Editor", Exact));
    EXPECT_EQ(0, Requests("Untitled - Editor", "Editor", Exact));
    EXPECT_EQ(0, Requests("editor", "Editor", Exact));
    EXPECT_EQ(0, Requests("Editor ", "Editor", Exact));
    EXPECT_EQ(0, Requests(" Editor", "Editor", Exact));
    EXPECT_EQ(0, Requests("Edito", "Editor", Exact));
}

TEST_F(MatchTest, ContainsFindsTheTextAnywhere)
{
    EXPECT_EQ(1, Requests("Untitled - Editor", "Editor", Contains));
    EXPECT_EQ(1, Requests("Editor", "Editor", Contains));
    EXPECT_EQ(1, Requests("Editor - notes.txt", "Editor", Contains));
    EXPECT_EQ(1, Requests("My Editor Pro", "Editor", Contains));
    EXPECT_EQ(0, Requests("editor", "Editor", Contains));
    EXPECT_EQ(0, Requests("Edito", "Editor", Contains));
    EXPECT_EQ(0, Requests("Edit or", "Editor", Contains));
    // A partial occurrence first, the whole one later.
    EXPECT_EQ(1, Requests("EdiEditEditor", "Editor", Contains));
    // The first byte occurs only where too little title is left.
    EXPECT_EQ(0, Requests("Untitled - Edito", "Editor", Contains));
}

TEST_F(MatchTest, DiffersMatchesEveryOtherTitle)
{
    EXPECT_EQ(0, Requests("Editor", "Editor", Differs));
    EXPECT_EQ(1, Requests("Untitled - Editor", "Editor", Differs));
    EXPECT_EQ(1, Requests("editor", "Editor", Differs));
    EXPECT_EQ(1, Requests("Editor ", "Editor", Differs));
}

TEST_F(MatchTest, EmptyNameMatchesEveryTitleUnderContainsAndDiffersOnly)
{
    EXPECT_EQ(0, Requests("Editor", "", Exact));
    EXPECT_EQ(1, Requests("Editor", "", Contains));
    EXPECT_EQ(1, Requests("Editor", "", Differs));
    EXPECT_EQ(1, Requests("x", "", Contains));
}

TEST_F(MatchTest, OtherMethodsNeverMatch)
{
    for (int method : {3, 7, 100, -1, -2, INT_MAX, INT_MIN}) {
        EXPECT_EQ(0, Requests("Editor", "Editor", method)) << method;
        EXPECT_EQ(0, Requests("Editor", "", method)) << method;
        EXPECT_EQ(0, Requests("Untitled - Editor", "Editor", method)) << method;
    }
}

TEST_F(MatchTest, AnUnknownMethodAsksNothingAndTheRulesAfterItStillDo)
{
    AddRule("Editor", 7);
    AddRule("Editor", Exact);
    HWND window = FakeAddWindow("Editor", OnClose::Refuse);
    Sweep();
    EXPECT_EQ(1, FakeCloseRequests(window));
}

TEST_F(MatchTest, LongTitlesAreComparedByTheirFirst249Bytes)
{
    std::string head(249, 'a');
    head[0] = 'H';
    std::string title = head + "TAIL" + std::string(40, 'b');

    EXPECT_EQ(0, Requests(title, "TAIL", Contains));
    EXPECT_EQ(1, Requests(title, head, Exact));
    EXPECT_EQ(0, Requests(title, head.substr(0, 248), Exact));
    EXPECT_EQ(0, Requests(title, head, Differs));
    EXPECT_EQ(1, Requests(title, head.substr(0, 248), Differs));
    EXPECT_EQ(1, Requests(title, head.substr(200), Contains));

    // A text straddling the cut: its start lies inside, its end beyond.
    std::string straddle = std::string(247, 'a') + "XYZ";
    EXPECT_EQ(0, Requests(straddle, "XYZ", Contains));
    EXPECT_EQ(1, Requests(straddle, "XY", Contains));
    EXPECT_EQ(0, Requests(straddle, "Y", Exact));
}

TEST_F(MatchTest, BytesAreComparedWithoutKnowledgeOfDoubleByteCharacters)
{
    // Shift JIS: 0x83 0x41 0x83 0x76 0x83 0x8A, three katakana and no ASCII letter.
    const std::string katakana = "\x83\x41\x83\x76\x83\x8A";
    EXPECT_EQ(1, Requests(katakana, "A", Contains));
    EXPECT_EQ(1, Requests(katakana, "v", Contains));
    EXPECT_EQ(1, Requests(katakana, "\x41\x83", Contains));
    EXPECT_EQ(1, Requests(katakana, "\x8A", Contains));
    EXPECT_EQ(0, Requests(katakana, "B", Contains));
    EXPECT_EQ(1, Requests(katakana, katakana, Exact));
    EXPECT_EQ(0, Requests(katakana, "\x83\x41\x83\x76\x83\x8B", Exact));
    // High bytes must not compare as negative chars against low ones.
    EXPECT_EQ(0, Requests("\xE0\xFF", "\xE0\x7F", Contains));
    EXPECT_EQ(1, Requests("ab\xFF", "\xFF", Contains));
}

// --- randomized cross-check ----------------------------------------------------------

std::string RandomBytes(std::mt19937& random, const std::vector<unsigned char>& alphabet,
                        size_t length)
{
    std::string bytes;
    for (size_t i = 0; i < length; ++i)
        bytes += static_cast<char>(alphabet[random() % alphabet.size()]);
    return bytes;
}

std::vector<unsigned char> AllNonZeroBytes()
{
    std::vector<unsigned char> all;
    for (int b = 1; b < 256; ++b)
        all.push_back(static_cast<unsigned char>(b));
    return all;
}

TEST(MatchCrossCheck, AgreesWithAPlainReferenceOnRandomBytes)
{
    const std::vector<std::vector<unsigned char>> alphabets = {
        {'a', 'b'},
        {'a', 'b', 'c'},
        {0x81, 0x40, 0x41},  // a Shift JIS lead byte and trail bytes
        {0xFF, 0x80, 0x7F, 0x01},
        AllNonZeroBytes(),
    };
    std::mt19937 random(20240531);
    int matched[3] = {0, 0, 0};
    for (int round = 0; round < 60000; ++round) {
        const std::vector<unsigned char>& alphabet = alphabets[round % alphabets.size()];
        bool longTitle = round % 50 == 0;
        std::string title = RandomBytes(random, alphabet,
                                        longTitle ? 240 + random() % 30 : random() % 24);
        std::string name;
        switch (random() % 4) {
        case 0:  // a piece of the title, possibly beyond the 249-byte cut
            if (!title.empty()) {
                size_t at = random() % title.size();
                name = title.substr(at, random() % 8);
                break;
            }
            [[fallthrough]];
        default:
            name = RandomBytes(random, alphabet, random() % (longTitle ? 12 : 6));
        }
        if (random() % 40 == 0)
            name = title.substr(0, std::min<size_t>(title.size(), nameSize - 1));

        // Read through the seam, so the title carries whatever ReadTitle records.
        FakeReset();
        WindowTitle window;
        ReadTitle(FakeAddWindow(title), window);
        ASSERT_EQ(std::min<size_t>(title.size(), titleSize - 1), static_cast<size_t>(window.length));

        Rule rule;
        rule.SetName(name.c_str());
        for (int method : {0, 1, 2, 3, -1}) {
            rule.SetMethod(method);
            bool expected = ReferenceMatch(name, method, title);
            ASSERT_EQ(expected, rule.Matches(window))
                << "method " << method << " name[" << name.size() << "] title["
                << title.size() << "] round " << round;
            if (expected && method >= 0 && method <= 2)
                ++matched[method];
        }
    }
    // The generator must exercise both outcomes of every method, or the check is idle.
    EXPECT_GT(matched[Exact], 1000);
    EXPECT_GT(matched[Contains], 20000);
    EXPECT_GT(matched[Differs], 20000);
}

}  // namespace
