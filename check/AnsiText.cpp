#include "check/AnsiText.h"

#include "config/Utf8.h"

void AppendUtf8(unsigned codePoint, std::string& utf8)
{
    unsigned char bytes[utf8CharacterSize];
    int length = EncodeUtf8(static_cast<long>(codePoint), bytes);
    utf8.append(reinterpret_cast<const char*>(bytes), static_cast<size_t>(length));
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
