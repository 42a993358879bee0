#include "rules/Rule.h"

#include <string.h>

// The table lives in zero-initialised static storage, so a rule that was never set has
// an empty name and method 0; construction adds nothing to that.
Rule rules[ruleCapacity];
int lastRule = -1;

Rule::Rule()
{
}

Rule::~Rule()
{
}

void Rule::SetName(const char* text)
{
    strcpy(name, text);
}

void Rule::SetMethod(int value)
{
    method = value;
}

// Reached only when the title holds the text's first two bytes side by side (or the
// text is shorter than two bytes): memchr finds each candidate start, memcmp the rest.
static bool Occurs(const char* text, const char* title, int titleLength)
{
    unsigned char first = static_cast<unsigned char>(text[0]);
    if (first == 0)
        return true;
    size_t rest = strlen(text + 1);
    const char* end = title + titleLength;
    const char* at = static_cast<const char*>(memchr(title, first, titleLength));
    while (at && static_cast<size_t>(end - at - 1) >= rest) {
        if (memcmp(at + 1, text + 1, rest) == 0)
            return true;
        at = static_cast<const char*>(memchr(at + 1, first, static_cast<size_t>(end - at - 1)));
    }
    return false;
}

bool Rule::Matches(const WindowTitle& title) const
{
    switch (method) {
    // The first byte decides nearly every Exact and Differs test; checking it in line
    // spares a call into the C runtime for each.
    case Exact:
        return name[0] == title.text[0] && strcmp(name, title.text) == 0;
    case Contains:
        // A sweep makes (windows x rules) of these tests and nearly all fail: the
        // title's set of byte pairs rules most of them out without a scan.
        if (name[0] != 0 && name[1] != 0) {
            unsigned hash = PairHash(static_cast<unsigned char>(name[0]),
                                     static_cast<unsigned char>(name[1]));
            if (!(title.pairs[hash >> 5] & (1u << (hash & 31))))
                return false;
        }
        return Occurs(name, title.text, title.length);
    case Differs:
        return name[0] != title.text[0] || strcmp(name, title.text) != 0;
    default:
        return false;
    }
}
