#include "platform/Window.h"

#include <wchar.h>

void ShowErrorBox(const wchar_t* caption, const wchar_t* text, const char* path)
{
    // Room for the longest message and a path of a whole line (249 bytes, at most one
    // character each once widened).
    wchar_t message[512];
    int length = (int)wcslen(text);
    if (length > 255)
        length = 255;
    wmemcpy(message, text, length);
    int widened = MultiByteToWideChar(CP_ACP, 0, path, -1, message + length, 512 - length);
    if (widened <= 0)
        message[length] = L'\0';
    MessageBoxW(NULL, message, caption, MB_OK);
}
