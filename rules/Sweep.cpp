#include "rules/Sweep.h"

void ReadTitle(HWND window, WindowTitle& title)
{
    title.length = ReadWindowTitle(window, title.text, titleSize);
}

bool Rule::CloseIfMatch(HWND window, WindowTitle& title) const
{
    if (title.length == 0 || !Matches(title))
        return false;
    if (RequestClose(window)) {
        ReadTitle(window, title);
    } else {
        // Hung or gone: asking again would only wait again. The next sweep retries.
        title.text[0] = '\0';
        title.length = 0;
    }
    return true;
}

BOOL CALLBACK SweepEnumProc(HWND window, LPARAM)
{
    if (lastRule < 0)
        return TRUE;
    // Reading a title is a cross-process call, dear next to a comparison: read it once
    // per window, and again only after a close request may have changed it.
    WindowTitle title;
    ReadTitle(window, title);
    for (int i = 0; i <= lastRule && title.length > 0; ++i)
        rules[i].CloseIfMatch(window, title);
    return TRUE;
}

void Sweep()
{
    EnumTopWindows(SweepEnumProc);
}
