#include "check/Traps.h"

#include "rules/Rule.h"
#include "check/Messages.h"
#include "check/Text.h"

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
    return ::Quoted(line.content, line.length);
}

}  // namespace

void CheckKeywordLine(const Origin& at, const ConfigLine& line, const char* keyword, int value)
{
    int keywordLength = static_cast<int>(strlen(keyword));
    bool isRead = strcmp(keyword, "READ") == 0;
    if (line.length > keywordLength && ContinuesWord(line.content[keywordLength])) {
        std::string effect =
            isRead ? Say(Message::KeywordReads, Escaped(line.content + value).c_str())
            : strcmp(keyword, "INTER") == 0 ? Say(Message::KeywordSetsInterval, value)
                                            : Say(Message::KeywordSetsMethod, value);
        AddWarning(at, Say(Message::KeywordTaken, Quoted(line).c_str(), keyword, effect.c_str()));
        return;
    }
    if (!isRead) {
        const char* number = line.length > keywordLength ? line.content + keywordLength + 1 : "";
        if (!IsPlainNumber(number))
            AddWarning(at, Say(Message::NotPlainNumber, Quoted(line).c_str(), keyword, value));
        return;
    }
    const char* path = line.content + value;
    int length = line.length - value;
    if (length > 0 && (IsBlank(path[0]) || IsBlank(path[length - 1])))
        AddWarning(at, Say(Message::PathBlank, Quoted(line).c_str(), Escaped(path, length).c_str()));
}

void CheckRuleLine(const Origin& at, const ConfigLine& line, const char* name)
{
    int length = line.length;
    if (length < 3 || line.content[length - 2] != ':')
        return;
    if (!IsBlank(line.content[length - 3])) {
        std::string meant = Escaped(line.content, length - 2) + " " +
                            Escaped(line.content + length - 2, 2);
        AddWarning(at, Say(Message::NoBlankBeforeColon, Quoted(line).c_str(),
                           Escaped(name).c_str(), meant.c_str()));
    }
    if (!IsDigit(line.content[length - 1]))
        AddWarning(at, Say(Message::MethodNotDigit, Quoted(line).c_str()));
}

void CheckRule(int index)
{
    const Rule& rule = rules[index];
    const Origin& at = ruleOrigins[index];
    std::string name = Escaped(rule.name);
    int length = static_cast<int>(strlen(rule.name));
    bool matches = rule.method >= Exact && rule.method <= Differs;

    if (!matches)
        AddWarning(at, Say(Message::RuleNeverMatches, index, name.c_str(), rule.method));
    if (matches && length == 0) {
        if (rule.method == Exact)
            AddWarning(at, Say(Message::EmptyExact, index));
        else
            AddWarning(at, Say(Message::EmptyMatchesAll, index, rule.method));
    }
    if (rule.method == Differs)
        AddWarning(at, Say(Message::DiffersEverything, index, name.c_str()));
    if (matches && length > 0 && (IsBlank(rule.name[0]) || IsBlank(rule.name[length - 1])))
        AddWarning(at, Say(Message::NameBlank, index, name.c_str()));
    for (int earlier = 0; earlier < index; ++earlier) {
        if (rules[earlier].method == rule.method && strcmp(rules[earlier].name, rule.name) == 0) {
            const Origin& first = ruleOrigins[earlier];
            AddWarning(at, Say(Message::RuleRepeats, index, name.c_str(), earlier,
                               ShownPath(first.path).c_str(), first.line));
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
        AddWarning(at, Text(Message::IntervalZero), true);
    else if (value < 0)
        AddWarning(at, Say(Message::IntervalNegative, value, static_cast<unsigned>(value)), true);
    else if (value < 100)
        AddWarning(at, Say(Message::IntervalSmall, value), true);
}

void CheckIgnoredLine(const Origin& at, const ConfigLine& line)
{
    if (strcmp(line.content, "READ") == 0)
        AddWarning(at, Text(Message::ReadAlone));
    else
        AddWarning(at, Say(Message::SuffixAlone, Quoted(line).c_str()));
}
