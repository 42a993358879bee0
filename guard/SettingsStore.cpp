#include "guard/SettingsStore.h"

#include "config/LineReader.h"
#include "platform/CodePage.h"
#include "rules/Rule.h"

#include <stdio.h>
#include <string.h>

namespace {

const int pathSize = 260;

char installPath[pathSize];
char storePath[pathSize];
bool storeReady;

// path := folder, the separator, name; false when it doesn't fit.
bool Join(char* path, const char* folder, const char* name)
{
    int written = snprintf(path, pathSize, "%s%c%s", folder, pathSeparator, name);
    return written > 0 && written < pathSize;
}

bool InStore(char* path, const char* name)
{
    return Join(path, storePath, name);
}

// The whole file into buffer (size bytes); its length, or -1 when it can't be read or
// is larger.
long ReadWhole(const char* path, char* buffer, long size)
{
    FILE* file = fopen(path, "rb");
    if (!file)
        return -1;
    long length = static_cast<long>(fread(buffer, 1, static_cast<size_t>(size), file));
    bool whole = !ferror(file) && fgetc(file) == EOF;
    fclose(file);
    return whole ? length : -1;
}

// Writes length bytes to name in the store through a file beside it, then puts it in
// name's place, so that a Pyxen starting meanwhile reads the old file or the new one.
bool WriteWhole(const char* name, const char* bytes, long length)
{
    // Named by the extension ("cfg.tmp"), which differs between the store's files: short
    // names, which the installer's table of files to remove takes as they are.
    const char* extension = strrchr(name, '.');
    char temporaryName[16];
    snprintf(temporaryName, sizeof temporaryName, "%s.tmp", extension ? extension + 1 : name);
    char path[pathSize];
    char temporary[pathSize];
    if (!InStore(path, name) || !InStore(temporary, temporaryName))
        return false;
    FILE* file = fopen(temporary, "wb");
    if (!file)
        return false;
    bool written = fwrite(bytes, 1, static_cast<size_t>(length), file) ==
                   static_cast<size_t>(length);
    written = fclose(file) == 0 && written;
    return written && ReplaceWithFile(temporary, path);
}

bool SameAsFile(const char* name, const char* bytes, long length)
{
    static char held[storeRulesSize + 1];
    char path[pathSize];
    return InStore(path, name) && ReadWhole(path, held, storeRulesSize + 1) == length &&
           memcmp(held, bytes, static_cast<size_t>(length)) == 0;
}

// pyxen.exe is small (tens of KB); a larger file is not the one shipped.
const long programSize = 1024 * 1024;

void CopyProgram()
{
    static char program[programSize];
    char from[pathSize];
    if (!Join(from, installPath, "pyxen.exe"))
        return;
    long length = ReadWhole(from, program, programSize);
    if (length > 0 && !SameAsFile("pyxen.exe", program, length))
        WriteWhole("pyxen.exe", program, length);
}

bool StoreComplete()
{
    const char* names[] = {"pyxen.exe", storeSettingsName, storeRulesName};
    for (const char* name : names) {
        char path[pathSize];
        FILE* file = InStore(path, name) ? fopen(path, "rb") : nullptr;
        if (!file)
            return false;
        fclose(file);
    }
    return true;
}

// Appends the rule's line(s). A method of one digit goes in a suffix, " :d" after the
// name, whose character before the colon the reader drops, while the line has room for
// it; any other method goes on a METHOD line of its own first. A name never starts with
// "#" or "METHOD" (those lines are never rules), and one read without a suffix never
// has ":" second to last, so every rule has a line that the list reader gives back as
// it was. A CR at the end of a name would make a line end with the LF after it, so a NUL
// comes between them: the reader drops the rest of a line from a NUL on.
int AppendRule(char* out, int size, const Rule& rule)
{
    int length = static_cast<int>(strlen(rule.name));
    if (rule.method >= 0 && rule.method <= 9 && length <= lineSize - 1 - 3)
        return snprintf(out, static_cast<size_t>(size), "%s :%d\n", rule.name, rule.method);
    int used = snprintf(out, static_cast<size_t>(size), "METHOD=%d\n%s", rule.method, rule.name);
    if (used + 3 > size)
        return used;
    if (length > 0 && rule.name[length - 1] == '\r')
        out[used++] = '\0';
    out[used++] = '\n';
    out[used] = '\0';
    return used;
}

}  // namespace

void WriteStoreText(int last, long interval, StoreText& text)
{
    // The list starts with a byte that is never UTF-8, so that the reader takes its
    // bytes as they are, in the ANSI code page the rules were converted to.
    int used = snprintf(text.rules, storeRulesSize, "#\xFF written by the guard\n");
    for (int i = 0; i <= last && i < ruleCapacity; ++i)
        used += AppendRule(text.rules + used, storeRulesSize - used, rules[i]);
    text.rulesLength = used;
    text.settingsLength = snprintf(text.settings, storeSettingsSize,
                                   "#\xFF written by the guard\nINTER=%ld\nREAD %s\n",
                                   interval, storeRulesName);
}

bool OpenSettingsStore(const char* installFolder)
{
    snprintf(installPath, pathSize, "%s", installFolder);
    storeReady = false;
    if (!Join(storePath, installFolder, storeName))
        return false;
    if (!PrepareStoreFolder(storePath)) {
        // Its Pyxens read the install folder then, as before the guard had a folder.
        wchar_t folder[pathSize];
        AnsiToWide(storePath, folder, pathSize);
        const wchar_t* strings[] = {folder};
        ReportGuardEvent(GuardEvent::StoreFailed, strings, 1);
        storePath[0] = '\0';
        return false;
    }
    CopyProgram();
    storeReady = StoreComplete();
    return storeReady;
}

bool StoreHolds(const StoreText& text)
{
    return storeReady && SameAsFile(storeSettingsName, text.settings, text.settingsLength) &&
           SameAsFile(storeRulesName, text.rules, text.rulesLength);
}

bool WriteSettingsStore(const StoreText& text)
{
    if (!storePath[0])
        return false;
    // The list first: until the settings file names it, no Pyxen reads it.
    bool written = WriteWhole(storeRulesName, text.rules, text.rulesLength) &&
                   WriteWhole(storeSettingsName, text.settings, text.settingsLength);
    storeReady = written && StoreComplete();
    return written;
}

bool StoreHoldsSettings()
{
    return storeReady;
}

const char* PyxenFolder()
{
    return storeReady ? storePath : installPath;
}
