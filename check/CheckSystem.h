#pragma once
// What pyxen-check asks of the system it runs on. check/win32/ gives Windows' answers;
// check/native/ those of the Linux build, which has no registry, no Windows console
// and no windows to list.
#include <stdio.h>
#include <string>

// The settings file read when none is named, as the system writes a path in the
// current directory.
extern const char defaultSettingsPath[];

// The characters that may end a path's folder.
extern const char folderSeparators[];

// Whether --windows can list the windows open now (check/WindowList.h).
extern const bool listsWindows;

// Whether the user reads Japanese: the UI language on Windows, the locale on Linux.
bool UserReadsJapanese();

// Takes the code page the readers convert to and the report decodes from: Windows has
// its own, and refuses the option; the Linux build takes the one named, or 932. Says
// what is wrong and returns false when it can't.
bool ChooseCodePage(const char* codePage);

// Writes UTF-8 text to stdout or stderr (check/Console.h).
void WriteText(FILE* stream, const std::string& text);
