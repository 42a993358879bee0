#include "check/AnsiText.h"
#include "check/CheckSystem.h"
#include "check/Console.h"
#include "check/Messages.h"
#include "config/Utf8.h"

#include <windows.h>

int CheckCodePage()
{
    return static_cast<int>(GetACP());
}

// The files are for this Windows, whose code page is its own.
bool ChooseCodePage(const char* codePage)
{
    if (codePage != nullptr) {
        PrintError(Say(Message::CodePageWindows, CheckCodePage()));
        return false;
    }
    return true;
}

// A lead byte alone is refused, as is a byte the code page leaves undefined.
bool DecodeAnsiBytes(const char* bytes, int length, unsigned& codePoint)
{
    wchar_t wide[4];
    int units = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, bytes, length, wide, 4);
    if (units == 1) {
        codePoint = wide[0];
        return true;
    }
    if (units == 2 && IsHighSurrogate(wide[0]) && IsLowSurrogate(wide[1])) {
        codePoint = static_cast<unsigned>(JoinSurrogates(wide[0], wide[1]));
        return true;
    }
    return false;
}
