#include "rules/Sweep.h"

#include "rules/CloseRequest.h"

void ReadTitle(HWND window, WindowTitle& title)
{
    title.length = ReadWindowTitle(window, title.text, titleSize);
    for (unsigned int& word : title.pairs)
        word = 0;
    const unsigned char* text = reinterpret_cast<const unsigned char*>(title.text);
    for (int i = 0; i + 1 < title.length; ++i) {
        unsigned hash = PairHash(text[i], text[i + 1]);
        title.pairs[hash >> 5] |= 1u << (hash & 31);
    }
}

bool Rule::CloseIfMatch(HWND window, WindowTitle& title) const
{
    if (title.length == 0 || !Matches(title))
        return false;
    // A Differs rule names no program, only the one to keep: it means "whatever the user
    // runs", not the hidden helpers, shell parts and dialogs that nobody switches to.
    // Asked only of a window the rule matched, so it costs the sweep next to nothing.
    if (method == Differs && WhyUnswitchable(window) != Unswitchable::No)
        return false;
    // Asked only of a window some rule names, so the sweep of all the others costs no
    // more than reading their titles.
    if (ExemptionOf(window) == WindowExemption::None && RequestClose(window)) {
        ReadTitle(window, title);
    } else {
        // Exempt, unanswered, hung or gone: no later rule asks it in this sweep.
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
    // A close request's wait runs the messages sent to this thread, a WM_TIMER sent to
    // the host window among them: a sweep started there would ask again the windows
    // this one has just asked, and stack its own waits on top of this one.
    static bool sweeping;
    if (sweeping)
        return;
    sweeping = true;
    EnumTopWindows(SweepEnumProc);
    sweeping = false;
}
