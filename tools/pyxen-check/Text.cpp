#include "tools/pyxen-check/Text.h"

#include <stdarg.h>
#include <stdio.h>
#include <string.h>

std::string Escaped(const char* bytes, int length)
{
    std::string out;
    for (int i = 0; i < length; ++i) {
        unsigned char c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x20 || c >= 0x7F || c == '\\' || c == '"') {
            char code[5];
            snprintf(code, sizeof code, "\\x%02X", c);
            out += code;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

std::string Escaped(const char* text)
{
    return Escaped(text, static_cast<int>(strlen(text)));
}

std::string Format(const char* format, ...)
{
    va_list arguments;
    va_start(arguments, format);
    va_list again;
    va_copy(again, arguments);
    int size = vsnprintf(NULL, 0, format, arguments);
    va_end(arguments);
    std::string out(size > 0 ? size : 0, '\0');
    vsnprintf(&out[0], out.size() + 1, format, again);
    va_end(again);
    return out;
}
