#include "platform/CodePage.h"

#include <windows.h>

// A file of its own, so that only the programs that widen text carry it.
void AnsiToWide(const char* text, wchar_t* out, int size)
{
    if (size > 0 && MultiByteToWideChar(CP_ACP, 0, text, -1, out, size) == 0)
        out[0] = L'\0';
}
