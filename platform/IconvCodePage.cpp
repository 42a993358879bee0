#include "platform/CodePage.h"

#include <errno.h>
#include <iconv.h>
#include <stdio.h>
#include <string.h>

namespace {

const iconv_t noConverter = reinterpret_cast<iconv_t>(-1);

int codePage = 932;
// One converter, kept while the code page stays: opening one costs far more than a
// conversion, and the readers convert one character at a time.
iconv_t converter = noConverter;
int converterCodePage = 0;

bool OpenConverter()
{
    if (converterCodePage == codePage)
        return converter != noConverter;
    if (converter != noConverter)
        iconv_close(converter);
    char name[16];
    IconvName(codePage, name, sizeof name);
    converter = iconv_open(name, "UTF-16LE");
    converterCodePage = codePage;
    return converter != noConverter;
}

}  // namespace

int WideToAnsi(const uint16_t* text, int length, char* out, int size, bool& lost)
{
    lost = false;
    char in[16];
    if (length < 1 || length > 8 || size < 1)
        return 0;
    // Every code page Windows uses as ANSI is a superset of ASCII.
    if (length == 1 && text[0] < 0x80) {
        out[0] = static_cast<char>(text[0]);
        return 1;
    }
    for (int i = 0; i < length; ++i) {
        in[2 * i] = static_cast<char>(text[i] & 0xFF);
        in[2 * i + 1] = static_cast<char>(text[i] >> 8);
    }
    if (OpenConverter()) {
        char* inAt = in;
        size_t inLeft = 2 * static_cast<size_t>(length);
        char* outAt = out;
        size_t outLeft = static_cast<size_t>(size);
        // glibc writes nothing at all for a few characters (U+FEFF, the tag characters);
        // Windows writes its stand-in for them, as for any character it lacks.
        size_t done = iconv(converter, &inAt, &inLeft, &outAt, &outLeft);
        if (done != static_cast<size_t>(-1) && outAt > out)
            return static_cast<int>(outAt - out);
        bool tooSmall = done == static_cast<size_t>(-1) && errno == E2BIG;
        iconv(converter, NULL, NULL, NULL, NULL);
        if (tooSmall)
            return 0;
    }
    // What Windows writes for a character the code page lacks.
    out[0] = '?';
    lost = true;
    return 1;
}

void AnsiToWide(const char* text, wchar_t* out, int size)
{
    if (size <= 0)
        return;
    out[0] = L'\0';
    char name[16];
    IconvName(codePage, name, sizeof name);
    iconv_t widen = iconv_open("WCHAR_T", name);
    if (widen == noConverter)
        return;
    char* inAt = const_cast<char*>(text);
    size_t inLeft = strlen(text);
    char* outAt = reinterpret_cast<char*>(out);
    size_t outLeft = (static_cast<size_t>(size) - 1) * sizeof(wchar_t);
    if (iconv(widen, &inAt, &inLeft, &outAt, &outLeft) == static_cast<size_t>(-1))
        outAt = reinterpret_cast<char*>(out);
    *reinterpret_cast<wchar_t*>(outAt) = L'\0';
    iconv_close(widen);
}

void IconvName(int codePage, char* name, int size)
{
    if (codePage == 65001)
        snprintf(name, static_cast<size_t>(size), "UTF-8");
    else
        snprintf(name, static_cast<size_t>(size), "CP%d", codePage);
}

int AnsiCodePage()
{
    return codePage;
}

void SetAnsiCodePage(int page)
{
    codePage = page;
}
