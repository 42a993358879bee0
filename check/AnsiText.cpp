#include "check/AnsiText.h"

void AppendUtf8(unsigned codePoint, std::string& utf8)
{
    if (codePoint < 0x80) {
        utf8 += static_cast<char>(codePoint);
    } else if (codePoint < 0x800) {
        utf8 += static_cast<char>(0xC0 | (codePoint >> 6));
        utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else if (codePoint < 0x10000) {
        utf8 += static_cast<char>(0xE0 | (codePoint >> 12));
        utf8 += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
    } else {
        utf8 += static_cast<char>(0xF0 | (codePoint >> 18));
        utf8 += static_cast<char>(0x80 | ((codePoint >> 12) & 0x3F));
        utf8 += static_cast<char>(0x80 | ((codePoint >> 6) & 0x3F));
        utf8 += static_cast<char>(0x80 | (codePoint & 0x3F));
    }
}

// The shortest run of bytes the system decodes without complaint is one character.
bool DecodeAnsiCharacter(const char* bytes, int available, int& used, unsigned& codePoint)
{
    for (int length = 1; length <= longestAnsiCharacter && length <= available; ++length) {
        if (DecodeAnsiBytes(bytes, length, codePoint)) {
            used = length;
            return true;
        }
    }
    return false;
}
