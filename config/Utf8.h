#pragma once
// UTF-8 and UTF-16 as the readers, the hours and the checker all write them: one
// answer to what a surrogate pair is and how a code point is spelt.
#include <stdint.h>

inline bool IsHighSurrogate(long unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

inline bool IsLowSurrogate(long unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// The code point of a high surrogate followed by a low one.
inline long JoinSurrogates(long high, long low)
{
    return 0x10000 + ((high - 0xD800) << 10) + (low - 0xDC00);
}

// The character at the start of text, NUL-terminated UTF-16: a pair is one character, a
// lone surrogate stands for itself. Sets used to the units it takes.
inline long WideCharacter(const wchar_t* text, int& used)
{
    long code = static_cast<long>(text[0]);
    used = 1;
    if (IsHighSurrogate(code) && IsLowSurrogate(static_cast<long>(text[1]))) {
        code = JoinSurrogates(code, static_cast<long>(text[1]));
        used = 2;
    }
    return code;
}

// Writes code point code as UTF-16 into units (room for 2) and returns how many.
inline int EncodeUtf16(long code, uint16_t* units)
{
    if (code < 0x10000) {
        units[0] = static_cast<uint16_t>(code);
        return 1;
    }
    units[0] = static_cast<uint16_t>(0xD800 + ((code - 0x10000) >> 10));
    units[1] = static_cast<uint16_t>(0xDC00 + ((code - 0x10000) & 0x3FF));
    return 2;
}

// Room for the longest character EncodeUtf8 writes.
const int utf8CharacterSize = 4;

// Writes code point code as UTF-8 into out (room for utf8CharacterSize bytes) and
// returns its length.
int EncodeUtf8(long code, unsigned char* out);
