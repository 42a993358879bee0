#include "tools/pyxen-check/Traps.h"

#include "rules/Rule.h"
#include "tools/pyxen-check/Text.h"

#include <algorithm>
#include <string.h>

namespace {

bool IsBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

// Letters, digits and every byte of a multi-byte character continue a word; a title
// such as 'INTERNET Radio' goes on where a keyword line would have its separator.
bool ContinuesWord(char c)
{
    unsigned char u = static_cast<unsigned char>(c);
    return IsDigit(c) || (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') || u >= 0x80;
}

// The reader takes the leading digits and ignores the rest; a value with anything else
// around it was probably meant differently.
bool IsPlainNumber(const char* text)
{
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    if (*text == '+' || *text == '-')
        ++text;
    if (!IsDigit(*text))
        return false;
    while (IsDigit(*text))
        ++text;
    while (*text == ' ' || (*text >= '\t' && *text <= '\r'))
        ++text;
    return *text == '\0';
}

std::string Quoted(const ConfigLine& line)
{
    return "'" + Escaped(line.content, line.length) + "'";
}

}  // namespace

void CheckKeywordLine(const Origin& at, const ConfigLine& line, const char* keyword, int value)
{
    int keywordLength = static_cast<int>(strlen(keyword));
    bool isRead = strcmp(keyword, "READ") == 0;
    if (line.length > keywordLength && ContinuesWord(line.content[keywordLength])) {
        std::string effect =
            isRead ? Format("reads the program list \"%s\"", Escaped(line.content + value).c_str())
            : strcmp(keyword, "INTER") == 0 ? Format("sets the interval to %d", value)
                                            : Format("sets the default method to %d", value);
        AddWarning(at, Format("%s begins with %s, so it %s instead of adding a rule",
                              Quoted(line).c_str(), keyword, effect.c_str()));
        return;
    }
    if (!isRead) {
        const char* number = line.length > keywordLength ? line.content + keywordLength + 1 : "";
        if (!IsPlainNumber(number))
            AddWarning(at, Format("%s: what follows %s and its separator is not a plain "
                                  "number; read as %d",
                                  Quoted(line).c_str(), keyword, value));
        return;
    }
    const char* path = line.content + value;
    int length = line.length - value;
    if (length > 0 && (IsBlank(path[0]) || IsBlank(path[length - 1])))
        AddWarning(at, Format("%s: the path \"%s\" begins or ends with a blank or tab, which "
                              "is part of the file name",
                              Quoted(line).c_str(), Escaped(path, length).c_str()));
}

void CheckRuleLine(const Origin& at, const ConfigLine& line, const char* name)
{
    int length = line.length;
    if (length < 3 || line.content[length - 2] != ':')
        return;
    if (!IsBlank(line.content[length - 3])) {
        std::string meant = Escaped(line.content, length - 2) + " " +
                            Escaped(line.content + length - 2, 2);
        AddWarning(at, Format("%s has no blank before ':', so the character there is taken as "
                              "the separator: the name is \"%s\" (write '%s' to keep it)",
                              Quoted(line).c_str(), Escaped(name).c_str(), meant.c_str()));
    }
    if (!IsDigit(line.content[length - 1]))
        AddWarning(at, Format("%s: the method after ':' is not a digit; read as method 0",
                              Quoted(line).c_str()));
}

void CheckRule(int index)
{
    const Rule& rule = rules[index];
    const Origin& at = ruleOrigins[index];
    std::string name = Escaped(rule.name);
    int length = static_cast<int>(strlen(rule.name));
    bool matches = rule.method >= Exact && rule.method <= Differs;

    if (!matches)
        AddWarning(at, Format("rule %d \"%s\": method %d never matches, so the rule closes nothing",
                              index, name.c_str(), rule.method));
    if (matches && length == 0) {
        if (rule.method == Exact)
            AddWarning(at, Format("rule %d has an empty name and method 0 (Exact): it never "
                                  "matches, since a window without a title is never asked to close",
                                  index));
        else
            AddWarning(at, Format("rule %d has an empty name and method %d: it matches every "
                                  "titled window",
                                  index, rule.method));
    }
    if (rule.method == Differs)
        AddWarning(at, Format("rule %d \"%s\": method 2 (Differs) asks every titled window not "
                              "titled exactly so to close, the Windows shell's own among them",
                              index, name.c_str()));
    if (matches && length > 0 && (IsBlank(rule.name[0]) || IsBlank(rule.name[length - 1])))
        AddWarning(at, Format("rule %d \"%s\": the name begins or ends with a blank or tab, which "
                              "the window title must have too",
                              index, name.c_str()));
    for (int earlier = 0; earlier < index; ++earlier) {
        if (rules[earlier].method == rule.method && strcmp(rules[earlier].name, rule.name) == 0) {
            const Origin& first = ruleOrigins[earlier];
            AddWarning(at, Format("rule %d \"%s\" repeats rule %d (%s:%d)", index, name.c_str(),
                                  earlier, first.path.c_str(), first.line));
            break;
        }
    }
}

void CheckInterval(const Origin& at, int value)
{
    warnings.erase(std::remove_if(warnings.begin(), warnings.end(),
                                  [](const Warning& w) { return w.aboutInterval; }),
                   warnings.end());
    if (value == 0)
        AddWarning(at, "interval 0 ms: Windows runs the timer every 10 ms instead, and the "
                       "sweeps keep the desktop busy", true);
    else if (value < 0)
        AddWarning(at, Format("interval %d ms is below zero: the timer takes it as %u ms, which "
                              "Windows cuts to about 24.8 days, so no sweep comes in practice",
                              value, static_cast<unsigned>(value)), true);
    else if (value < 100)
        AddWarning(at, Format("interval %d ms is under 100 ms: every window title is read that "
                              "often, which keeps the desktop busy",
                              value), true);
}

void CheckIgnoredLine(const Origin& at, const ConfigLine& line)
{
    if (strcmp(line.content, "READ") == 0)
        AddWarning(at, "'READ' names no program list: the line is ignored");
    else
        AddWarning(at, Format("%s has a method suffix but no name: the line is ignored",
                              Quoted(line).c_str()));
}
