// The encodings at each length's edges, and a wide text's pairs, as the readers, the
// hours and the checker all rely on them.
#include "config/Utf8.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Utf8(long code)
{
    unsigned char bytes[utf8CharacterSize];
    int length = EncodeUtf8(code, bytes);
    return std::string(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
}

TEST(Utf8, EachLengthEndsWhereUnicodeSaysAndUtf16PairsAbovePlaneZero)
{
    struct {
        long code;
        const char* utf8;
        int units;
    } cases[] = {{0x7F, "\x7F", 1},          {0x80, "\xC2\x80", 1},
                 {0x7FF, "\xDF\xBF", 1},     {0x800, "\xE0\xA0\x80", 1},
                 {0xFFFF, "\xEF\xBF\xBF", 1}, {0x10000, "\xF0\x90\x80\x80", 2},
                 {0x10FFFF, "\xF4\x8F\xBF\xBF", 2}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(Utf8(c.code), c.utf8);
        uint16_t units[2];
        ASSERT_EQ(EncodeUtf16(c.code, units), c.units);
        wchar_t wide[3] = {units[0], c.units == 2 ? units[1] : L'\0', L'\0'};
        int used = 0;
        EXPECT_EQ(WideCharacter(wide, used), c.code);
        EXPECT_EQ(used, c.units);
    }
}

TEST(Utf8, ALoneSurrogateInAWideTextStandsForItself)
{
    const wchar_t texts[][3] = {{0xD83D, L'a', 0}, {0xDE00, 0xD83D, 0}, {0xD83D, 0, 0}};
    for (const wchar_t* text : texts) {
        int used = 0;
        EXPECT_EQ(WideCharacter(text, used), text[0]);
        EXPECT_EQ(used, 1);
    }
}

}  // namespace
