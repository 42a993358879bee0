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
// scan looks for the text's first byte with memchr and compares the rest only there.
static bool Occurs(const char* text, const char* title, int titleLength)
{
    unsigned char first = static_cast<unsigned char>(text[0]);
    if (first == 0)
        return true;
    const char* end = title + titleLength;
    const char* at = static_cast<const char*>(memchr(title, first, titleLength));
    if (!at)
        return false;
    size_t rest = strlen(text + 1);
    while (at) {
        size_t after = static_cast<size_t>(end - at - 1);
        if (after < rest)
            return false;
        if (memcmp(at + 1, text + 1, rest) == 0)
            return true;
        at = static_cast<const char*>(memchr(at + 1, first, after));
    }
    return false;
}

bool Rule::Matches(const WindowTitle& title) const
{
    switch (method) {
    case Exact:
        return strcmp(name, title.text) == 0;
    case Contains:
        return Occurs(name, title.text, title.length);
    case Differs:
        return strcmp(name, title.text) != 0;
    default:
        return false;
    }
}
