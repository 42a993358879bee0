#include "check/CheckSystem.h"
#include "check/Console.h"
#include "check/Permissions.h"
#include "check/WindowList.h"

#include <stdlib.h>
#include <string.h>

const char defaultSettingsPath[] = "./pyxen.cfg";
const char folderSeparators[] = "/";
const bool listsWindows = false;

bool UserReadsJapanese()
{
    // The first of these that is set decides, as it does for every other program.
    const char* names[] = {"LC_ALL", "LC_MESSAGES", "LANG"};
    for (const char* name : names) {
        const char* value = getenv(name);
        if (value != nullptr && *value != '\0')
            return strncmp(value, "ja", 2) == 0;
    }
    return false;
}

void WriteText(FILE* stream, const std::string& text)
{
    fwrite(text.data(), 1, text.size(), stream);
}

// A terminal outlives the checker: nothing to hold open.
void HoldOwnConsole(const std::string&) {}

// Who may change a file is a question of Windows' access lists, which Linux files lack.
void CheckWhoMayChangeFiles() {}

// Never asked: without listsWindows, --windows is refused before anything is read.
void ListWindows() {}
