#include "config/ConfigObserver.h"
#include "config/Settings.h"
#include "rules/Rule.h"
#include "check/CheckSystem.h"
#include "check/Console.h"
#include "check/Dispatch.h"
#include "check/Findings.h"
#include "check/HoursReport.h"
#include "check/Messages.h"
#include "check/Permissions.h"
#include "check/PolicyReport.h"
#include "check/Report.h"
#include "check/Text.h"
#include "check/WindowList.h"

#include <string.h>

static const int exitClean = 0;
static const int exitWarnings = 1;
static const int exitUnreadable = 2;

struct Options {
    const char* path = defaultSettingsPath;
    bool pathGiven = false;
    bool listWindows = false;
    bool help = false;
    const char* codePage = nullptr;
};

// Options that take a value take it from the next argument.
static bool TakesValue(const char* argument)
{
    return strcmp(argument, "--lang") == 0 || strcmp(argument, "--codepage") == 0;
}

// The language comes first, so that what is wrong with the rest is said in it.
static bool ChooseOutputLanguage(int argc, char** argv)
{
    ChooseUsersLanguage();
    for (int i = 1; i + 1 < argc; ++i) {
        if (strcmp(argv[i], "--lang") == 0 && !ChooseLanguage(argv[i + 1])) {
            PrintError(Say(Message::LanguageUnknown, ShownPath(argv[i + 1]).c_str()));
            return false;
        }
        if (TakesValue(argv[i]))
            ++i;
    }
    return true;
}

static bool ReadOptions(int argc, char** argv, Options& options)
{
    for (int i = 1; i < argc; ++i) {
        const char* argument = argv[i];
        if (TakesValue(argument)) {
            if (i + 1 == argc) {
                PrintError(Say(Message::NeedsValue, argument));
                return false;
            }
            if (strcmp(argument, "--codepage") == 0)
                options.codePage = argv[i + 1];
            ++i;
        } else if (strcmp(argument, "--help") == 0) {
            options.help = true;
        } else if (strcmp(argument, "--windows") == 0) {
            options.listWindows = true;
        } else if (strncmp(argument, "--", 2) == 0 || options.pathGiven) {
            PrintError(Say(Message::UnexpectedArgument, ShownPath(argument).c_str()));
            return false;
        } else {
            options.path = argument;
            options.pathGiven = true;
        }
    }
    return true;
}

static int Check(int argc, char** argv)
{
    Options options;
    if (!ChooseOutputLanguage(argc, argv) || !ReadOptions(argc, argv, options))
        return exitUnreadable;
    if (options.help) {
        Print(Say(Message::Help, defaultSettingsPath));
        return exitClean;
    }
    if (options.listWindows && !listsWindows) {
        PrintError(Text(Message::WindowsOnly));
        return exitUnreadable;
    }
    if (!ChooseCodePage(options.codePage))
        return exitUnreadable;

    // Where the guard takes them: the policy when it decides, unless a file is named.
    bool fromPolicy = !options.pathGiven && TakeSettingsPolicy(options.path);
    const char* path = fromPolicy ? settingsPolicyPath : options.path;
    bool refused = fromPolicy && checkedPolicy->state == SettingsPolicyState::Refused;
    configObserver = RecordConfigEvent;
    lastRule = refused ? -1 : LoadSettings(path);
    if (settingsUnreadable) {
        PrintError(Say(Message::SettingsUnreadable, ShownPath(path).c_str()));
        return exitUnreadable;
    }
    if (lastRule < 0 && !refused)
        AddWarning(Origin{path, 0}, Text(Message::NoRule));
    CheckWhoMayChangeFiles();

    PrintReport(path);
    PrintHours(options.path);
    PrintOutcome();
    if (options.listWindows)
        ListWindows();
    PrintWarnings();
    return warnings.empty() ? exitClean : exitWarnings;
}

int main(int argc, char** argv)
{
    int status = Check(argc, argv);
    HoldOwnConsole(Text(Message::PressEnter));
    return status;
}
