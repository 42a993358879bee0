#include "check/Report.h"

#include "config/Settings.h"
#include "rules/Rule.h"
#include "check/Console.h"
#include "check/Encodings.h"
#include "check/Findings.h"
#include "check/Messages.h"
#include "check/PolicyReport.h"
#include "check/Text.h"

std::string MethodLabel(int method)
{
    switch (method) {
    case Exact:
        return Text(Message::MethodExact);
    case Contains:
        return Text(Message::MethodContains);
    case Differs:
        return Text(Message::MethodDiffers);
    }
    return Say(Message::MethodNever, method);
}

void PrintReport(const char* path)
{
    Print(Say(Message::SettingsHeading, ShownPath(path).c_str()));
    if (checkedPolicy)
        PrintSettingsPolicy();
    // A file of ASCII alone reads the same in every encoding; naming one there would
    // only be noise.
    // The policy's lines are read as UTF-16, which says nothing of how they were written.
    for (const FileRead& file : filesRead) {
        if (file.path == settingsPolicyPath)
            continue;
        if (file.encoding != TextEncoding::Ansi || file.worthNaming)
            Print(Say(Message::EncodingHeading, ShownPath(file.path).c_str(),
                      EncodingName(file.encoding).c_str()));
    }
    if (intervalOrigin.line > 0)
        Print(Say(Message::IntervalFrom, interval, Where(intervalOrigin).c_str()));
    else
        Print(Say(Message::IntervalDefault, interval));
    Print(Say(Message::RulesHeading, lastRule + 1));
    for (int i = 0; i <= lastRule; ++i)
        Print(Format("%5d  %s \"%s\"  %s\n", i, Padded(MethodLabel(rules[i].method), 18).c_str(),
                     Escaped(rules[i].name).c_str(), Where(ruleOrigins[i]).c_str()));
}

void PrintWarnings()
{
    Print(Say(Message::WarningsHeading, static_cast<int>(warnings.size())));
    for (const Warning& warning : warnings)
        Print(Format("%s: %s\n", Where(warning.at).c_str(), warning.text.c_str()));
}
