#include "guard/SettingsWatch.h"

#include "guard/EventWords.h"
#include "guard/SettingsOutcome.h"
#include "guard/SettingsStore.h"
#include "guard/StampWatch.h"
#include "policy/SettingsPolicy.h"

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

// pyxen.cfg, and what the settings are read from now: it, or the policy's name.
char filePath[watchPathSize];
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

// The policy as last taken, and one seen changing: policy processing writes a key's
// values one by one, so a change is taken once it has stayed as it is settingsQuietMs.
SettingsPolicy policy;
SettingsPolicy policyRead;
SettingsPolicy policySeen;
bool policySettling;
GuardTime policySettleAt;
bool policyChanged;

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

bool PolicyRefused()
{
    return policy.state == SettingsPolicyState::Refused;
}

// Loads the settings as a Pyxen starting now would, without its boxes (the guard links
// the quiet ShowErrorBox), and returns the index of the last rule: from the policy's
// lines when it decides, else from pyxen.cfg. A refused policy has no lines to load.
int Load()
{
    CopyPath(settingsPath, PolicyDecides(policy) ? settingsPolicyPath : filePath);
    loadedCount = 0;
    AddLoaded(settingsPath);
    firstUnreadable.found = false;
    if (PolicyRefused())
        return -1;
    // A file that no longer sets one leaves a Pyxen starting now at the default.
    interval = defaultInterval;
    ConfigObserver previous = configObserver;
    configObserver = Observe;
    ServeSettingsPolicy(PolicyDecides(policy) ? &policy : nullptr);
    int last = LoadSettings(settingsPath);
    ServeSettingsPolicy(nullptr);
    configObserver = previous;
    return last;
}

// Where the settings come from, for the entries, in the reader's language.
const wchar_t* SourceText()
{
    if (!PolicyDecides(policy))
        return settingsFileWord;
    return policy.view == RegistryView::Native ? settingsPolicyWord : settingsPolicy32Word;
}

// The same for a script: a word that reads the same in every language.
const wchar_t* SourceWord()
{
    return PolicyDecides(policy) ? L"policy" : L"file";
}

const wchar_t* ViewWord()
{
    if (!PolicyDecides(policy))
        return L"";
    return policy.view == RegistryView::Native ? L"64-bit" : L"32-bit";
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
const wchar_t* appliedSource = settingsFileWord;
const wchar_t* appliedSourceWord = L"file";
StoreText accepted;

// Whether the last load can't be taken: a refused policy, a file it could not read, or
// no rule.
bool Unacceptable(int last)
{
    return PolicyRefused() || firstUnreadable.found || last < 0;
}

// Why, for the record: its text, and the file or the policy's value it is about.
void RecordRefusal(const wchar_t* why, const wchar_t* about, const wchar_t* files)
{
    wchar_t reason[watchPathSize + 128];
    swprintf(reason, watchPathSize + 128, about[0] ? L"%ls: %ls" : L"%ls", why, about);
    RecordRefused(SourceWord(), files, reason);
}

void ReportPolicyRefused(const wchar_t* files)
{
    wchar_t name[valueNameSize];
    wchar_t key[watchPathSize];
    // Value names are UTF-8; their digits, which are what matters, read the same in any.
    int i = 0;
    for (; policy.faultName[i] && i < valueNameSize - 1; ++i)
        name[i] = static_cast<unsigned char>(policy.faultName[i]) < 0x80
                      ? static_cast<wchar_t>(policy.faultName[i])
                      : L'?';
    name[i] = L'\0';
    AnsiToWide(settingsPolicyPath, key, watchPathSize);
    const wchar_t* strings[] = {key, name, SettingsPolicyFaultWord(static_cast<int>(policy.fault)),
                                SourceText()};
    ReportGuardEvent(GuardEvent::SettingsPolicyRefused, strings, 4);
    RecordRefusal(SettingsPolicyFaultText(policy.fault), name, files);
}

// One entry for a load that can't be taken, its reason told by the entry itself, so that
// it reads in the reader's language: with kept, at the guard's start, when the store
// still has the settings last accepted.
void ReportRefusal(bool kept, const wchar_t* files)
{
    if (PolicyRefused()) {
        ReportPolicyRefused(files);
        return;
    }
    wchar_t path[watchPathSize];
    wchar_t store[watchPathSize];
    AnsiToWide(firstUnreadable.path, path, watchPathSize);
    AnsiToWide(PyxenFolder(), store, watchPathSize);
    if (firstUnreadable.found) {
        const wchar_t* strings[] = {path, files, store};
        ReportGuardEvent(kept ? GuardEvent::SettingsKept : GuardEvent::SettingsUnreadable,
                         strings, kept ? 3 : 2);
        RecordRefusal(L"can't be read", path, files);
    } else {
        // The refusal's entry names the source; the one at the start names the store.
        const wchar_t* strings[] = {files, kept ? store : SourceText()};
        ReportGuardEvent(kept ? GuardEvent::SettingsKeptNoRule : GuardEvent::SettingsRefused,
                         strings, 2);
        RecordRefusal(L"no rule", L"", files);
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
    appliedSource = SourceText();
    appliedSourceWord = SourceWord();
    RecordApplied(SourceWord(), ViewWord(), appliedFiles, last + 1);
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
        wchar_t path[watchPathSize];
        AnsiToWide(firstUnreadable.path, path, watchPathSize);
        RecordRefusal(L"another program holds it open", path,
                      LoadedFiles());
        return SettingsVerdict::Refused;
    }
    heldReported = false;
    ReportRefusal(false, LoadedFiles());
    return SettingsVerdict::Refused;
}

// Reads the policy when due: at a poll, after a notification, and while a change
// settles. True once a change has settled: it is to be loaded now.
bool PolicySettled(GuardTime now, bool poll)
{
    if (!poll && !policyChanged && !(policySettling && now >= policySettleAt))
        return false;
    policyChanged = false;
    ReadSettingsPolicy(policyRead);
    if (!SameSettingsPolicy(policyRead, policySettling ? policySeen : policy)) {
        policySeen = policyRead;
        policySettling = true;
        policySettleAt = now + settingsQuietMs;
        return false;
    }
    if (!policySettling || now < policySettleAt)
        return false;
    policySettling = false;
    policy = policySeen;
    return true;
}

}  // namespace

int AppliedRules() { return appliedRules; }
const wchar_t* AppliedFiles() { return appliedFiles; }
const wchar_t* AppliedSource() { return appliedSource; }
const wchar_t* AppliedSourceWord() { return appliedSourceWord; }
const StoreText& AcceptedText() { return accepted; }

SettingsVerdict StartSettingsWatch(const char* path)
{
    CopyPath(filePath, path);
    fileCount = 0;
    folderChanged = false;
    settle.Stop();
    heldReported = false;
    policySettling = false;
    policyChanged = false;
    ReadSettingsPolicy(policy);
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

void SettingsPolicyChanged()
{
    policyChanged = true;
}

GuardTime NextSettingsCheck()
{
    if (folderChanged || policyChanged)
        return 0;
    GuardTime next = settle.Settling() ? settle.SettleAt() : pollAt;
    if (policySettling && policySettleAt < next)
        next = policySettleAt;
    return next;
}

SettingsVerdict CheckSettings()
{
    GuardTime now = GuardNow();
    if (now < NextSettingsCheck())
        return SettingsVerdict::Unchanged;
    if (PolicySettled(now, now >= pollAt)) {
        // The other source decides now, or the policy's lines changed: read afresh.
        settle.Stop();
        heldRetry = false;
        pollAt = now + settingsPollMs;
        fileCount = 0;
        int last = Load();
        TakeLoadedFiles(nullptr);
        return Judge(last);
    }
    if (!folderChanged && now < pollAt && !(settle.Settling() && now >= settle.SettleAt()))
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
