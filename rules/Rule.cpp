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

// A sweep makes (windows x rules) of these tests and nearly all of them fail, so the
// scan looks for the text's first byte with memchr, and where it finds it, checks the
// second byte in line before it compares the rest.
static bool Occurs(const char* text, const char* title, int titleLength)
{
    unsigned char first = static_cast<unsigned char>(text[0]);
    if (first == 0)
        return true;
    char second = text[1];
    if (second == 0)
        return memchr(title, first, titleLength) != nullptr;
    if (titleLength < 2)
        return false;
    const char* end = title + titleLength;
    // The last place the text could start: one byte for the first, at least one more.
    const char* last = end - 2;
    const char* at = title;
    size_t rest = 0;
    bool restKnown = false;
    while (at <= last) {
        at = static_cast<const char*>(memchr(at, first, static_cast<size_t>(last - at + 1)));
        if (!at)
            return false;
        if (at[1] == second) {
            if (!restKnown) {
                rest = strlen(text + 2);
                restKnown = true;
            }
            if (rest > static_cast<size_t>(end - at - 2))
                return false;
            if (memcmp(at + 2, text + 2, rest) == 0)
                return true;
        }
        ++at;
    }
    return false;
}

bool Rule::Matches(const WindowTitle& title) const
{
    switch (method) {
    case Exact:
        return name[0] == title.text[0] && strcmp(name, title.text) == 0;
    case Contains:
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
