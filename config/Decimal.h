#pragma once
// Numbers in wide texts (event log strings, registry value names), written by hand:
// wsprintfW would bring user32 into code that has no windows, and one way serves all.

// Room for the digits of any unsigned long long, with the NUL.
const int decimalSize = 24;

// Writes value's decimal digits, at least width of them (zeros in front), and a NUL into
// text, which holds decimalSize characters. Returns how many digits.
int WriteDecimal(unsigned long long value, wchar_t* text, int width = 1);
