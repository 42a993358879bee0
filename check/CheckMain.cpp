#include "config/ConfigObserver.h"
#include "config/Settings.h"
#include "rules/Rule.h"
#include "check/AnsiText.h"
#include "check/Console.h"
#include "check/Dispatch.h"
#include "check/Findings.h"
#include "check/HoursReport.h"
#include "check/Messages.h"
#include "check/Report.h"
#include "check/Text.h"
#ifdef _WIN32
#include "check/Permissions.h"
#include "check/WindowList.h"
#endif

#include <stdlib.h>
#include <string.h>

#ifdef _WIN32
static const char defaultPath[] = ".\\pyxen.cfg";
#else
static const char defaultPath[] = "./pyxen.cfg";
#endif

static const int exitClean = 0;
static const int exitWarnings = 1;
static const int exitUnreadable = 2;

struct Options {
    const char* path = defaultPath;
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

// The readers and the names shown take the code page of the Windows the files are for:
// that Windows' own, or on Linux the one the option names.
static bool ChooseCodePage(const char* codePage)
{
#ifdef _WIN32
    if (codePage != nullptr) {
        PrintError(Say(Message::CodePageWindows, CheckCodePage()));
        return false;
    }
    return true;
#else
    char* end = nullptr;
    long number = codePage != nullptr ? strtol(codePage, &end, 10) : 932;
    if ((codePage != nullptr && (end == codePage || *end != '\0' || number <= 0 ||
                                 number > 65535)) ||
        !UseCodePage(static_cast<int>(number))) {
        PrintError(Say(Message::CodePageUnknown,
                       codePage != nullptr ? ShownPath(codePage).c_str() : "932"));
        return false;
    }
    return true;
#endif
}

static int Check(int argc, char** argv)
{
    Options options;
    if (!ChooseOutputLanguage(argc, argv) || !ReadOptions(argc, argv, options))
        return exitUnreadable;
    if (options.help) {
        Print(Say(Message::Help, defaultPath));
        return exitClean;
    }
#ifndef _WIN32
    if (options.listWindows) {
        PrintError(Text(Message::WindowsOnly));
        return exitUnreadable;
    }
#endif
    if (!ChooseCodePage(options.codePage))
        return exitUnreadable;

    configObserver = RecordConfigEvent;
    lastRule = LoadSettings(options.path);
    if (settingsUnreadable) {
        PrintError(Say(Message::SettingsUnreadable, ShownPath(options.path).c_str()));
        return exitUnreadable;
    }
    if (lastRule < 0)
        AddWarning(Origin{options.path, 0}, Text(Message::NoRule));
#ifdef _WIN32
    CheckWhoMayChangeFiles();
#endif

    PrintReport(options.path);
    PrintHours(options.path);
#ifdef _WIN32
    if (options.listWindows)
        ListWindows();
#endif
    PrintWarnings();
    return warnings.empty() ? exitClean : exitWarnings;
}

int main(int argc, char** argv)
{
    int status = Check(argc, argv);
    HoldOwnConsole(Text(Message::PressEnter));
    return status;
}
