#include "guard/SettingsWatch.h"

#include "guard/SettingsStore.h"
#include "guard/StampWatch.h"

#include "config/ConfigObserver.h"
#include "config/Messages.h"
#include "config/Settings.h"
#include "platform/CodePage.h"

#include <stdio.h>
#include <string.h>
#include <wchar.h>

namespace {

// The loop passes a full path (MAX_PATH); lists are named by a line, 249 bytes at most.
const int watchPathSize = 260;
const int fileSlots = watchedFileCapacity + 1;

struct WatchedPath {
    char path[watchPathSize];
    FileStamp known;  // as it was when the settings were last loaded
};

char settingsPath[watchPathSize];
WatchedPath files[fileSlots];
int fileCount;

// Filled by the readers' observer during a load.
WatchedPath loaded[fileSlots];
int loadedCount;
struct {
    bool found;
    bool programList;
    char path[watchPathSize];
} firstUnreadable;

bool folderChanged;
// A file another program holds is read again at each poll, though its stamp stays, and
// told of once until it is read or refused for something else.
bool heldRetry;
bool heldReported;
FileStamp settlingStamps[fileSlots];
StampWatch settle(settlingStamps, settingsQuietMs);
GuardTime pollAt;

void CopyPath(char* to, const char* from)
{
    snprintf(to, watchPathSize, "%s", from);
}

void AddLoaded(const char* path)
{
    for (int i = 0; i < loadedCount; ++i)
        if (strcmp(loaded[i].path, path) == 0)
            return;
    if (loadedCount < fileSlots)
        CopyPath(loaded[loadedCount++].path, path);
}

void Observe(ConfigEvent event, const ConfigLine& line, int value)
{
    if (event == ConfigEvent::ListNamed) {
        AddLoaded(line.content + value);
    } else if (event == ConfigEvent::FileUnreadable && !firstUnreadable.found) {
        firstUnreadable.found = true;
        firstUnreadable.programList = line.programList;
        CopyPath(firstUnreadable.path, line.path);
    }
}

// Loads the settings as a Pyxen starting now would, without its boxes (the guard links
// the quiet ShowErrorBox), and returns the index of the last rule.
int Load()
{
    loadedCount = 0;
    AddLoaded(settingsPath);
    firstUnreadable.found = false;
    // A file that no longer sets one leaves a Pyxen starting now at the default.
    interval = defaultInterval;
    ConfigObserver previous = configObserver;
    configObserver = Observe;
    int last = LoadSettings(settingsPath);
    configObserver = previous;
    return last;
}

// The files of the last load become the watched ones. A file watched already keeps the
// stamp read before the load (before), so that a write during the load is a change still.
void TakeLoadedFiles(const FileStamp* before)
{
    for (int i = 0; i < loadedCount; ++i) {
        loaded[i].known = ReadFileStamp(loaded[i].path);
        for (int j = 0; j < fileCount; ++j)
            if (strcmp(files[j].path, loaded[i].path) == 0)
                loaded[i].known = before[j];
    }
    memcpy(files, loaded, sizeof(WatchedPath) * loadedCount);
    fileCount = loadedCount;
}

// Appends text to buffer (size characters in all), cutting it short if need be.
void Append(wchar_t* buffer, int size, const wchar_t* text)
{
    int used = static_cast<int>(wcslen(buffer));
    if (used < size - 1)
        wcsncat(buffer, text, size - 1 - used);
}

void AppendPath(wchar_t* buffer, int size, const char* path)
{
    wchar_t wide[watchPathSize];
    AnsiToWide(path, wide, watchPathSize);
    Append(buffer, size, wide);
}

// The files of the last load, as the settings name them, for the entry.
void ListFiles(wchar_t* buffer, int size)
{
    buffer[0] = L'\0';
    for (int i = 0; i < loadedCount; ++i) {
        if (i > 0)
            Append(buffer, size, L", ");
        AppendPath(buffer, size, loaded[i].path);
    }
}

int appliedRules;
wchar_t appliedFiles[settingsFilesSize];
StoreText accepted;

// Whether the last load can't be taken: a file it could not read, or no rule.
bool Unacceptable(int last)
{
    return firstUnreadable.found || last < 0;
}

// One entry for a load that can't be taken, its reason told by the entry itself, so that
// it reads in the reader's language: with kept, at the guard's start, when the store
// still has the settings last accepted.
void ReportRefusal(bool kept, const wchar_t* files)
{
    wchar_t path[watchPathSize];
    wchar_t store[watchPathSize];
    AnsiToWide(firstUnreadable.path, path, watchPathSize);
    AnsiToWide(PyxenFolder(), store, watchPathSize);
    if (firstUnreadable.found) {
        const wchar_t* strings[] = {path, files, store};
        ReportGuardEvent(kept ? GuardEvent::SettingsKept : GuardEvent::SettingsUnreadable,
                         strings, kept ? 3 : 2);
    } else {
        const wchar_t* strings[] = {files, store};
        ReportGuardEvent(kept ? GuardEvent::SettingsKeptNoRule : GuardEvent::SettingsRefused,
                         strings, kept ? 2 : 1);
    }
}

// The files of the last load, for an entry about it.
const wchar_t* LoadedFiles()
{
    // Room for every watched path, widened, with the separators.
    static wchar_t text[settingsFilesSize];
    static_assert(settingsFilesSize == fileSlots * (watchPathSize + 2), "the files' text");
    ListFiles(text, settingsFilesSize);
    return text;
}

bool Held()
{
    return firstUnreadable.found && FileIsHeld(firstUnreadable.path);
}

bool SameText(const StoreText& a, const StoreText& b)
{
    return a.settingsLength == b.settingsLength && a.rulesLength == b.rulesLength &&
           memcmp(a.settings, b.settings, static_cast<size_t>(a.settingsLength)) == 0 &&
           memcmp(a.rules, b.rules, static_cast<size_t>(a.rulesLength)) == 0;
}

// An edit that leaves every rule and the interval as they are (a comment, a file read
// again once let go) has nothing for the Pyxens to take.
SettingsVerdict Accept(int last)
{
    static StoreText before;
    before = accepted;
    heldRetry = false;
    heldReported = false;
    appliedRules = last + 1;
    ListFiles(appliedFiles, settingsFilesSize);
    WriteStoreText(last, interval, accepted);
    // Until the first are taken, those the store kept from before are the ones in force.
    bool same = before.settingsLength < 0 ? StoreHolds(accepted) : SameText(before, accepted);
    return same ? SettingsVerdict::Unchanged : SettingsVerdict::Applied;
}

SettingsVerdict Judge(int last)
{
    // A file that can't be read would take its rules away, and its box would greet
    // every user: the running Pyxens are better than that, as they are for no rule.
    if (!Unacceptable(last))
        return Accept(last);
    // A hold ends when its program lets go, with no edit to tell of it.
    heldRetry = Held();
    if (heldRetry) {
        if (heldReported)
            return SettingsVerdict::Unchanged;
        heldReported = true;
        const wchar_t* strings[] = {LoadedFiles()};
        ReportGuardEvent(GuardEvent::SettingsHeld, strings, 1);
        return SettingsVerdict::Refused;
    }
    heldReported = false;
    ReportRefusal(false, LoadedFiles());
    return SettingsVerdict::Refused;
}

}  // namespace

int AppliedRules() { return appliedRules; }
const wchar_t* AppliedFiles() { return appliedFiles; }
const StoreText& AcceptedText() { return accepted; }

SettingsVerdict StartSettingsWatch(const char* path)
{
    CopyPath(settingsPath, path);
    fileCount = 0;
    folderChanged = false;
    settle.Stop();
    heldReported = false;
    pollAt = GuardNow() + settingsPollMs;
    int last = Load();
    TakeLoadedFiles(nullptr);
    accepted.settingsLength = -1;  // none yet: the first that load are new
    if (!Unacceptable(last))
        return Accept(last);
    heldRetry = Held();
    ReportRefusal(StoreHoldsSettings(), LoadedFiles());
    return SettingsVerdict::Refused;
}

void SettingsFolderChanged()
{
    folderChanged = true;
}

GuardTime NextSettingsCheck()
{
    if (settle.Settling())
        return settle.SettleAt();
    return folderChanged ? 0 : pollAt;
}

SettingsVerdict CheckSettings()
{
    GuardTime now = GuardNow();
    if (now < NextSettingsCheck())
        return SettingsVerdict::Unchanged;
    folderChanged = false;
    FileStamp stamps[fileSlots];
    FileStamp known[fileSlots];
    for (int i = 0; i < fileCount; ++i) {
        stamps[i] = ReadFileStamp(files[i].path);
        known[i] = files[i].known;
    }
    if (!settle.Settling())
        pollAt = now + settingsPollMs;
    if (!settle.Settled(stamps, known, fileCount, now, heldRetry))
        return SettingsVerdict::Unchanged;
    pollAt = now + settingsPollMs;
    int last = Load();
    TakeLoadedFiles(stamps);
    return Judge(last);
}
