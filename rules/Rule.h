#pragma once
#include "platform/Window.h"
#include "rules/Exemptions.h"

// How a rule's text is held against a window title. Values outside these three are
// kept as read from the settings and never match.
enum MatchMethod {
    Exact = 0,     // the title equals the text
    Contains = 1,  // the text occurs anywhere in the title
    Differs = 2,   // the title is anything but the text
};

const int ruleCapacity = 250;
const int nameSize = 250;

// A window title as read once per window and sweep; length 0 means "no title" (or the
// window is gone), and such a window is never asked to close.
struct WindowTitle {
    char text[titleSize];
    int length;
    // Which pairs of adjacent bytes occur in text, hashed to 256 bits: a Contains test
    // whose first two bytes are not in the set fails without scanning. ReadTitle fills it.
    unsigned int pairs[8];
};

inline unsigned PairHash(unsigned char first, unsigned char second)
{
    return (first * 37u + second) & 255u;
}

void ReadTitle(HWND window, WindowTitle& title);

class Rule {
public:
    Rule();
    ~Rule();

    // The caller guarantees that text fits: at most 249 bytes before its NUL.
    void SetName(const char* text);
    void SetMethod(int value);

    // Byte-wise and case-sensitive; no trimming, no code-page knowledge.
    bool Matches(const WindowTitle& title) const;

    // Sends the window a close request when its title matches, then reads the title
    // again so later rules see what is left of the window (a closed window has none).
    // A window that is exempt or did not answer gets no further request in this sweep.
    // A Differs rule asks only windows a user can switch to (WhyUnswitchable).
    bool CloseIfMatch(HWND window, WindowTitle& title) const;

    char name[nameSize];
    int method;
};

// Every rule in file order; elements 0 to lastRule are in use, with no gaps.
extern Rule rules[ruleCapacity];
extern int lastRule;
