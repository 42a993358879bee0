#include "platform/CodePage.h"

#include <windows.h>
#include <string.h>

int WideToAnsi(const uint16_t* text, int length, char* out, int size, bool& lost)
{
    const wchar_t* wide = reinterpret_cast<const wchar_t*>(text);
    if (GetACP() != CP_UTF8) {
        BOOL usedDefault = FALSE;
        int written = WideCharToMultiByte(CP_ACP, 0, wide, length, out, size, NULL, &usedDefault);
        lost = usedDefault != FALSE;
        return written;
    }
    // With UTF-8 as the ANSI code page the call takes no lpUsedDefaultChar. Every
    // character has a UTF-8 form; what still became a stand-in shows on the way back.
    int written = WideCharToMultiByte(CP_UTF8, 0, wide, length, out, size, NULL, NULL);
    wchar_t back[8];
    int count = MultiByteToWideChar(CP_UTF8, 0, out, written, back, 8);
    lost = count != length || memcmp(back, wide, length * sizeof(wchar_t)) != 0;
    return written;
}

int AnsiCodePage()
{
    return static_cast<int>(GetACP());
}
