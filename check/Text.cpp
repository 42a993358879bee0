#include "check/Text.h"

#include "check/AnsiText.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

namespace {

// Characters a terminal would not show as themselves: controls, and the invisible ones
// that could hide in a name (a byte order mark, zero-width and direction marks).
bool Invisible(unsigned c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0) || (c >= 0x200B && c <= 0x200F) ||
           (c >= 0x2028 && c <= 0x202E) || c == 0xFEFF;
}

bool Wide(unsigned c)
{
    return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF) ||
           (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) ||
           (c >= 0xFE30 && c <= 0xFE4F) || (c >= 0xFF00 && c <= 0xFF60) ||
           (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

std::string Decoded(const char* bytes, int length, bool escapeQuoting)
{
    std::string out;
    for (int i = 0; i < length;) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        int used = 1;
        unsigned codePoint = c;
        bool decoded = c < 0x80 || DecodeAnsiCharacter(bytes + i, length - i, used, codePoint);
        if (decoded && !Invisible(codePoint) && !(escapeQuoting && (c == '\\' || c == '"'))) {
            AppendUtf8(codePoint, out);
        } else {
            for (int k = 0; k < used; ++k) {
                char code[5];
                snprintf(code, sizeof code, "\\x%02X", static_cast<unsigned char>(bytes[i + k]));
                out += code;
            }
        }
        i += used;
    }
    return out;
}

}  // namespace

std::string Escaped(const char* bytes, int length)
{
    return Decoded(bytes, length, true);
}

std::string Escaped(const char* text)
{
    return Escaped(text, static_cast<int>(strlen(text)));
}

std::string ShownPath(const std::string& path)
{
    return Decoded(path.data(), static_cast<int>(path.size()), false);
}

std::string Padded(const std::string& text, int width)
{
    int columns = 0;
    for (size_t i = 0; i < text.size();) {
        unsigned char c = static_cast<unsigned char>(text[i]);
        int length = c < 0xC0 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
        unsigned codePoint = length == 1 ? c : c & (0x3F >> (length - 1));
        for (int k = 1; k < length && i + k < text.size(); ++k)
            codePoint = (codePoint << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        columns += Wide(codePoint) ? 2 : 1;
        i += length;
    }
    return columns < width ? text + std::string(width - columns, ' ') : text;
}

std::string FormatList(const char* format, va_list arguments)
{
    va_list again;
    va_copy(again, arguments);
    int size = vsnprintf(NULL, 0, format, arguments);
    std::string out(size > 0 ? size : 0, '\0');
    vsnprintf(&out[0], out.size() + 1, format, again);
    va_end(again);
    return out;
}

std::string Format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    std::string out = FormatList(format, arguments);
    va_end(arguments);
    return out;
}

std::string Quoted(const char* bytes, int length)
{
    return "'" + Escaped(bytes, length) + "'";
}
