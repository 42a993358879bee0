#include "config/Settings.h"

#include "config/ConfigObserver.h"
#include "config/LineReader.h"
#include "config/Messages.h"
#include "config/Number.h"
#include "rules/Rule.h"

#include <string.h>

int interval = defaultInterval;
ConfigObserver configObserver = nullptr;

namespace {

enum FileKind { SettingsFile, ProgramList };

// The user hears of a full table once per start, not once per extra rule.
bool tooManyReported;

void Report(ConfigEvent event, const ConfigLine& line, int value)
{
    if (configObserver)
        configObserver(event, line, value);
}

bool StartsWith(const char* content, const char* keyword)
{
    return strncmp(content, keyword, strlen(keyword)) == 0;
}

// A keyword is followed by one separator character of any kind, then the number.
int NumberAt(const ConfigLine& line, int position)
{
    return position <= line.length ? ParseNumber(line.content + position) : 0;
}

int AddRule(const ConfigLine& line, char* content, int last, int defaultMethod)
{
    int method = defaultMethod;
    int length = line.length;
    int nameLength = length;
    // "Name :1": the second-to-last character marks a method suffix, and the character
    // before the colon separates it from the name.
    if (length >= 2 && content[length - 2] == ':') {
        if (length == 2) {
            Report(ConfigEvent::LineIgnored, line, 0);
            return last;
        }
        method = ParseNumber(content + length - 1);
        nameLength = length - 3;
    }
    if (last + 1 >= ruleCapacity) {
        Report(ConfigEvent::RuleDropped, line, 0);
        if (!tooManyReported) {
            tooManyReported = true;
            ShowErrorBox(errorCaption, tooManyRulesText, line.path);
        }
        return last;
    }
    // The name ends where the suffix begins only while it is copied: the observer is
    // shown the line as read.
    char separator = content[nameLength];
    content[nameLength] = '\0';
    rules[last + 1].SetMethod(method);
    rules[last + 1].SetName(content);
    content[nameLength] = separator;
    Report(ConfigEvent::RuleAdded, line, last + 1);
    return last + 1;
}

// What converting a piece of a line met, told after the piece like a cut.
void ReportNotes(const TextNotes& notes, const ConfigLine& line)
{
    if (notes.lost != noCodePoint)
        Report(ConfigEvent::CharacterLost, line, notes.lost);
    if (notes.invalid > 0)
        Report(ConfigEvent::TextInvalid, line, notes.invalid);
    if (notes.markInside)
        Report(ConfigEvent::MarkInside, line, 0);
}

int ReadConfigFile(const char* path, FileKind kind, int last, int defaultMethod)
{
    LineReader reader;
    char content[lineSize];
    ConfigLine line = {path, 0, content, 0, kind == ProgramList};
    if (!OpenLines(reader, path)) {
        content[0] = '\0';
        Report(ConfigEvent::FileUnreadable, line, 0);
        ShowErrorBox(errorCaption, kind == SettingsFile ? settingsUnreadableText : listUnreadableText,
                     path);
        return last;
    }
    content[0] = '\0';
    Report(ConfigEvent::FileEncoding, line, static_cast<int>(reader.text.encoding));
    if (reader.text.looksLikeUtf16)
        Report(ConfigEvent::LooksLikeUtf16, line, 0);
    while (ReadLine(reader, content, line.length)) {
        line.number = reader.number;
        if (reader.cut)
            Report(ConfigEvent::LineCut, line, 0);
        ReportNotes(reader.notes, line);
        if (content[0] == '#' || line.length == 0)
            continue;
        if (kind == SettingsFile && StartsWith(content, "INTER")) {
            interval = NumberAt(line, 6);
            Report(ConfigEvent::IntervalSet, line, interval);
        } else if (StartsWith(content, "METHOD")) {
            defaultMethod = NumberAt(line, 7);
            Report(ConfigEvent::MethodSet, line, defaultMethod);
        } else if (kind == SettingsFile && StartsWith(content, "READ")) {
            if (line.length < 5) {
                Report(ConfigEvent::LineIgnored, line, 0);
                continue;
            }
            Report(ConfigEvent::ListNamed, line, 5);
            // A list's own METHOD lines stay in the list: defaultMethod goes by copy.
            last = ReadConfigFile(content + 5, ProgramList, last, defaultMethod);
        } else {
            last = AddRule(line, content, last, defaultMethod);
        }
    }
    CloseLines(reader);
    return last;
}

}  // namespace

int LoadSettings(const char* path)
{
    tooManyReported = false;
    return ReadConfigFile(path, SettingsFile, -1, 0);
}

int LoadProgramList(const char* path, int last, int defaultMethod)
{
    return ReadConfigFile(path, ProgramList, last, defaultMethod);
}
