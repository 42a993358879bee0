#pragma once

// Reads a decimal number the way the C runtime's atoi does on the settings files:
// leading blanks, tabs and line breaks skipped, one optional sign, digits up to the
// first non-digit, 0 when there are none. Values wider than 32 bits wrap modulo 2^32
// instead of overflowing.
int ParseNumber(const char* text);
