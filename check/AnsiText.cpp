#include "check/AnsiText.h"

#ifdef _WIN32
#include <windows.h>
#else
#include "platform/CodePage.h"

#include <iconv.h>
#include <stdio.h>
#endif

// No character of a code page Windows offers as the ANSI one is longer than this.
static const int longestCharacter = 4;

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

#ifdef _WIN32

int CheckCodePage()
{
    return static_cast<int>(GetACP());
}

// The shortest run of bytes the system decodes without complaint is one character; a
// lead byte alone is refused, as is a byte the code page leaves undefined.
static bool DecodeOne(const char* bytes, int length, unsigned& codePoint)
{
    wchar_t wide[4];
    int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, length, wide, 4);
    if (units == 1) {
        codePoint = wide[0];
        return true;
    }
    if (units == 2 && wide[0] >= 0xD800 && wide[0] < 0xDC00 && wide[1] >= 0xDC00 &&
        wide[1] < 0xE000) {
        codePoint = 0x10000 + ((wide[0] - 0xD800) << 10) + (wide[1] - 0xDC00);
        return true;
    }
    return false;
}

#else

static iconv_t decoder = reinterpret_cast<iconv_t>(-1);

// One code page for both directions: the readers convert UTF-8 and UTF-16 files into
// it, and the report decodes names from it.
int CheckCodePage()
{
    return AnsiCodePage();
}

bool UseCodePage(int codePage)
{
    char name[16];
    if (codePage == 65001)
        snprintf(name, sizeof name, "UTF-8");
    else
        snprintf(name, sizeof name, "CP%d", codePage);
    iconv_t opened = iconv_open("UTF-32LE", name);
    if (opened == reinterpret_cast<iconv_t>(-1))
        return false;
    if (decoder != reinterpret_cast<iconv_t>(-1))
        iconv_close(decoder);
    decoder = opened;
    SetAnsiCodePage(codePage);
    return true;
}

static bool DecodeOne(const char* bytes, int length, unsigned& codePoint)
{
    if (decoder == reinterpret_cast<iconv_t>(-1) && !UseCodePage(AnsiCodePage()))
        return false;
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    char in[longestCharacter];
    for (int i = 0; i < length; ++i)
        in[i] = bytes[i];
    unsigned char out[4 * longestCharacter];
    char* inAt = in;
    char* outAt = reinterpret_cast<char*>(out);
    size_t inLeft = static_cast<size_t>(length);
    size_t outLeft = sizeof out;
    if (iconv(decoder, &inAt, &inLeft, &outAt, &outLeft) == static_cast<size_t>(-1) ||
        inLeft != 0 || sizeof out - outLeft != 4)
        return false;
    codePoint = out[0] | (out[1] << 8) | (out[2] << 16) | (static_cast<unsigned>(out[3]) << 24);
    return true;
}

#endif

bool DecodeAnsiCharacter(const char* bytes, int available, int& used, unsigned& codePoint)
{
    for (int length = 1; length <= longestCharacter && length <= available; ++length) {
        if (DecodeOne(bytes, length, codePoint)) {
            used = length;
            return true;
        }
    }
    return false;
}
