#include "config/ConfigObserver.h"
#include "config/Settings.h"
#include "rules/Rule.h"
#include "tools/pyxen-check/Findings.h"
#include "tools/pyxen-check/Report.h"
#ifdef _WIN32
#include "tools/pyxen-check/WindowList.h"
#endif

#include <stdio.h>
#include <string.h>

#ifdef _WIN32
static const char defaultPath[] = ".\\pyxen.cfg";
#else
static const char defaultPath[] = "./pyxen.cfg";
#endif

static const int exitClean = 0;
static const int exitWarnings = 1;
static const int exitUnreadable = 2;

static void PrintHelp()
{
    printf("usage: pyxen-check [--windows] [SETTINGS]\n"
           "\n"
           "Reads SETTINGS (default %s) and the program lists it names with the very\n"
           "reader pyxen.exe uses, and prints what pyxen.exe would make of them:\n"
           "  - the interval and the line it came from;\n"
           "  - the rule table as loaded: index, method (0 Exact, 1 Contains, 2 Differs;\n"
           "    any other never matches), name, and the file and line it came from;\n"
           "  - a warning, with file and line, for each line that probably does not say\n"
           "    what its writer meant: keyword lines that look like window titles\n"
           "    ('INTERNET Radio'), 'Name:1' without a blank before ':', methods other\n"
           "    than 0 to 2, empty names, Differs rules, intervals under 100 ms, lines cut\n"
           "    at 249 bytes, rules past the 250th, unreadable program lists, names with\n"
           "    leading or trailing blanks, duplicate rules, and lines that are ignored.\n"
           "Names are shown in double quotes; bytes outside printable ASCII, '\\' and '\"'\n"
           "are written as \\xNN. Relative paths in READ lines are taken from the current\n"
           "directory, as pyxen.exe takes them, not from the settings file's folder.\n"
           "\n"
           "  --windows  also list the titled top-level windows open now and, for each,\n"
           "             the rules that would ask it to close. A dry run: nothing is sent.\n"
           "             Windows only.\n"
           "  --help     show this text\n"
           "\n"
           "Exit status: 0 nothing to warn about, 1 warnings, 2 the settings file can't be\n"
           "read (or the command line is wrong).\n",
           defaultPath);
}

int main(int argc, char** argv)
{
    const char* path = defaultPath;
    bool pathGiven = false;
    bool listWindows = false;
    for (int i = 1; i < argc; ++i) {
        if (strcmp(argv[i], "--help") == 0) {
            PrintHelp();
            return exitClean;
        }
        if (strcmp(argv[i], "--windows") == 0) {
            listWindows = true;
        } else if (strncmp(argv[i], "--", 2) == 0 || pathGiven) {
            fprintf(stderr, "pyxen-check: unexpected argument '%s' (see pyxen-check --help)\n",
                    argv[i]);
            return exitUnreadable;
        } else {
            path = argv[i];
            pathGiven = true;
        }
    }
#ifndef _WIN32
    if (listWindows) {
        fprintf(stderr, "pyxen-check: --windows lists Windows desktops only\n");
        return exitUnreadable;
    }
#endif

    configObserver = RecordConfigEvent;
    lastRule = LoadSettings(path);
    if (settingsUnreadable) {
        fprintf(stderr, "pyxen-check: can't read the settings file %s\n", path);
        return exitUnreadable;
    }
    if (lastRule < 0)
        AddWarning(Origin{path, 0}, "no rule: pyxen.exe ends at once, without a word");

    PrintReport(path);
#ifdef _WIN32
    if (listWindows)
        ListWindows();
#endif
    PrintWarnings();
    return warnings.empty() ? exitClean : exitWarnings;
}
