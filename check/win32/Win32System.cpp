#include "check/CheckSystem.h"
#include "check/Console.h"

#include <windows.h>

const char defaultSettingsPath[] = ".\\pyxen.cfg";
const char folderSeparators[] = "\\/:";
const bool listsWindows = true;

bool UserReadsJapanese()
{
    return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE;
}

void WriteText(FILE* stream, const std::string& text)
{
    HANDLE handle = GetStdHandle(stream == stderr ? STD_ERROR_HANDLE : STD_OUTPUT_HANDLE);
    DWORD mode;
    if (GetConsoleMode(handle, &mode)) {
        int size = static_cast<int>(text.size());
        std::wstring wide(size, L'\0');
        int units = MultiByteToWideChar(CP_UTF8, 0, text.data(), size, &wide[0], size);
        fflush(stream);
        DWORD written;
        WriteConsoleW(handle, wide.data(), static_cast<DWORD>(units), &written, NULL);
        return;
    }
    fwrite(text.data(), 1, text.size(), stream);
}

void HoldOwnConsole(const std::string& prompt)
{
    DWORD processes[2];
    DWORD mode;
    HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
    if (GetConsoleProcessList(processes, 2) != 1 || !GetConsoleMode(input, &mode) ||
        !GetConsoleMode(GetStdHandle(STD_OUTPUT_HANDLE), &mode))
        return;
    Print("\n" + prompt);
    // Line input: a read returns once Enter is pressed, or in pieces for a long line.
    wchar_t typed[64];
    DWORD count;
    while (ReadConsoleW(input, typed, 64, &count, NULL) && count > 0) {
        if (typed[count - 1] == L'\n' || typed[count - 1] == L'\r')
            break;
    }
}
