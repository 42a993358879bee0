#include "check/AnsiText.h"
#include "check/CheckSystem.h"
#include "check/Console.h"
#include "check/Messages.h"
#include "check/Text.h"
#include "platform/CodePage.h"

#include <iconv.h>
#include <stdlib.h>

namespace {

iconv_t decoder = reinterpret_cast<iconv_t>(-1);

// One code page for both directions: the readers convert UTF-8 and UTF-16 files into
// it, and the report decodes names from it. False when iconv knows no such code page here.
bool UseCodePage(int codePage)
{
    char name[16];
    IconvName(codePage, name, sizeof name);
    iconv_t opened = iconv_open("UTF-32LE", name);
    if (opened == reinterpret_cast<iconv_t>(-1))
        return false;
    if (decoder != reinterpret_cast<iconv_t>(-1))
        iconv_close(decoder);
    decoder = opened;
    SetAnsiCodePage(codePage);
    return true;
}

}  // namespace

int CheckCodePage()
{
    return AnsiCodePage();
}

// The files are for a Windows elsewhere: the option names its code page, 932 unless it does.
bool ChooseCodePage(const char* codePage)
{
    char* end = nullptr;
    long number = codePage != nullptr ? strtol(codePage, &end, 10) : 932;
    if ((codePage != nullptr && (end == codePage || *end != '\0' || number <= 0 ||
                                 number > 65535)) ||
        !UseCodePage(static_cast<int>(number))) {
        PrintError(Say(Message::CodePageUnknown,
                       codePage != nullptr ? ShownPath(codePage).c_str() : "932"));
        return false;
    }
    return true;
}

bool DecodeAnsiBytes(const char* bytes, int length, unsigned& codePoint)
{
    if (decoder == reinterpret_cast<iconv_t>(-1) && !UseCodePage(AnsiCodePage()))
        return false;
    iconv(decoder, nullptr, nullptr, nullptr, nullptr);
    char in[longestAnsiCharacter];
    for (int i = 0; i < length; ++i)
        in[i] = bytes[i];
    unsigned char out[4 * longestAnsiCharacter];
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
