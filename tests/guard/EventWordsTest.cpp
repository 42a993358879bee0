// The words the guard writes into its entries ("%%N") must each be a message of the
// guard's table, in both languages: Event Viewer shows a missing one as "%%N" itself.
#include "guard/EventWords.h"

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

// The ids of the table's words: Success severity, a text in English and in Japanese.
std::set<int> TableWords()
{
    std::ifstream file(PYXEN_GUARD_MESSAGES);
    std::stringstream text;
    text << file.rdbuf();
    std::string table = text.str();
    std::regex word("MessageId=(\\d+)\\nSeverity=Success\\nSymbolicName=\\w+\\n"
                    "Language=English\\n[^\\n]+%0\\n\\.\\nLanguage=Japanese\\n[^\\n]+%0\\n\\.");
    std::set<int> ids;
    for (std::sregex_iterator at(table.begin(), table.end(), word), end; at != end; ++at)
        ids.insert(std::stoi((*at)[1]));
    return ids;
}

int WordId(const wchar_t* word)
{
    EXPECT_EQ(std::wstring(word).substr(0, 2), L"%%");
    return static_cast<int>(wcstol(word + 2, nullptr, 10));
}

TEST(EventWordsTest, EveryWordIsAMessageOfTheTableInBothLanguages)
{
    std::set<int> table = TableWords();
    std::vector<const wchar_t*> words = {fileHeldWord,    noSuchZoneWord, noZoneNameWord,
                                         systemsZoneWord, systemsZoneAloneWord, noEndWord};
    for (int fault = 1; fault <= static_cast<int>(HoursFault::FileUnreadable); ++fault)
        words.push_back(HoursFaultWord(static_cast<HoursFault>(fault)));
    for (int day = 0; day < 7; ++day)
        words.push_back(WeekdayWord(day));
    std::set<int> used;
    for (const wchar_t* word : words) {
        EXPECT_TRUE(table.count(WordId(word))) << WordId(word);
        used.insert(WordId(word));
    }
    EXPECT_EQ(used.size(), words.size());  // no two things with one word
    EXPECT_STREQ(HoursFaultWord(HoursFault::None), L"");
}

}  // namespace
