#include "config/Decimal.h"

int WriteDecimal(unsigned long long value, wchar_t* text, int width)
{
    wchar_t digits[decimalSize];
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value || count < width);
    for (int i = 0; i < count; ++i)
        text[i] = digits[count - 1 - i];
    text[count] = L'\0';
    return count;
}
