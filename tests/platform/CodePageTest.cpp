// The native build's conversion to and from the ANSI code page (iconv), which the
// readers, the guard and the checker use on Linux, held to what the seam promises.
#include "platform/CodePage.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct CodePageTest : ::testing::Test {
    void SetUp() override { SetAnsiCodePage(932); }
    void TearDown() override { SetAnsiCodePage(932); }
};

TEST_F(CodePageTest, OneCharacterBecomesItsBytesAStandInOrNothingWhenItCantFit)
{
    const struct {
        int codePage;
        uint16_t units[9];
        int length, size;
        std::string bytes;
        bool lost;
    } rows[] = {
        {932, {'A'}, 1, 4, "A", false},
        {932, {0x3042}, 1, 4, "\x82\xA0", false},
        {932, {0x3042}, 1, 1, "", false},           // both bytes or none
        {932, {0x20AC}, 1, 4, "?", true},           // a character Shift JIS lacks
        {1252, {0x20AC}, 1, 4, "\x80", false},      // the code page set last is used
        {932, {0xD83D, 0xDE00}, 2, 4, "?", true},
        {932, {'A', 'A', 'A', 'A', 'A', 'A', 'A', 'A', 'A'}, 9, 16, "", false},
        {932, {'A'}, 0, 4, "", false},
    };
    int row = 0;
    for (const auto& r : rows) {
        SetAnsiCodePage(r.codePage);
        char out[16] = {};
        bool lost = true;  // whatever the caller's flag held before
        int written = WideToAnsi(r.units, r.length, out, r.size, lost);
        EXPECT_EQ(r.bytes, std::string(out, written > 0 ? written : 0)) << "row " << row;
        EXPECT_EQ(r.lost, lost) << "row " << row++;
    }
}

TEST_F(CodePageTest, ATextWidensWholeOrNotAtAll)
{
    wchar_t out[4] = {L'x', L'x', L'x', L'x'};
    AnsiToWide("\x82\xA0" "b", out, 4);
    EXPECT_EQ(std::wstring(L"\u3042b"), out);
    AnsiToWide("abcd", out, 4);  // one character too many
    EXPECT_EQ(std::wstring(), out);
    AnsiToWide("a\x82", out, 4);  // a lead byte with nothing after it
    EXPECT_EQ(std::wstring(), out);
}

}  // namespace
