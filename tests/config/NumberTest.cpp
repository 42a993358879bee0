// The number conversion on its own, for inputs no settings line can hold (a line feed
// inside the text, thousands of digits) beside the usual ones.
#include "config/Decimal.h"
#include "config/Number.h"

#include <gtest/gtest.h>

#include <string>

namespace {

struct NumberCase {
    std::string text;
    int value;
};

void ExpectNumbers(const std::vector<NumberCase>& cases)
{
    for (const NumberCase& c : cases)
        EXPECT_EQ(c.value, ParseNumber(c.text.c_str())) << "text \"" << c.text << "\"";
}

TEST(ParseNumber, LeadingWhiteSpaceIsSkippedAndNothingElse)
{
    ExpectNumbers({
        {" \t\n\v\f\r42", 42},
        {"   7 8", 7},
        {"", 0},
        {"   ", 0},
        {"x12", 0},
        {"\x85" "5", 0},  // not white space in any code page the readers know of
        {"_5", 0},
        {"\xEF\xBC\x91", 0},  // a full-width digit is no digit
    });
}

TEST(ParseNumber, OneOptionalSignThenDigitsUpToTheFirstNonDigit)
{
    ExpectNumbers({
        {"+500", 500},
        {"-500", -500},
        {"-0", 0},
        {"+", 0},
        {"-", 0},
        {"+-5", 0},
        {"--5", 0},
        {"- 5", 0},
        {"12abc", 12},
        {"0x10", 0},
        {"1e3", 1},
        {"007", 7},
        {"3.9", 3},
    });
}

TEST(ParseNumber, WrapsAroundModulo2To32)
{
    ExpectNumbers({
        {"2147483647", 2147483647},
        {"2147483648", -2147483647 - 1},
        {"-2147483648", -2147483647 - 1},
        {"-2147483649", 2147483647},
        {"4294967295", -1},
        {"4294967296", 0},
        {"4294967796", 500},
        {"-4294967296", 0},
        {"18446744073709551617", 1},
        {std::string(5000, '0') + "123", 123},
        {std::string(5000, '9'), -1},  // 10^5000 - 1, and 2^32 divides 10^5000
    });
}

TEST(WriteDecimal, DigitsWithoutSignOrPaddingUnlessAWidthAsksForZeros)
{
    struct {
        unsigned long long value;
        int width;
        std::wstring text;
    } cases[] = {{0, 1, L"0"}, {10, 1, L"10"}, {7, 4, L"0007"}, {12345, 4, L"12345"},
                 {18446744073709551615u, 1, L"18446744073709551615"}};
    for (const auto& c : cases) {
        wchar_t text[decimalSize];
        EXPECT_EQ(WriteDecimal(c.value, text, c.width), static_cast<int>(c.text.size()));
        EXPECT_EQ(std::wstring(text), c.text) << c.value;
    }
}

}  // namespace
