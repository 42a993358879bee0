#include "guard/FakeGuardSystem.h"

#include "config/Utf8.h"
#include "hours/ZoneLookup.h"

#include <stdio.h>
#include <sys/stat.h>
#include <wchar.h>

namespace {

struct FakeSession {
    std::wstring user;
    unsigned long startError = 0;
    bool endAtStart = false;
    unsigned long endStatus = 0;
    GuardTime loadTime = 0;
    GuardTime endTime = 0;
    unsigned long watchError = 0;
};

// A watch's id is apart from every Pyxen's.
const ChildId watchIds = 1u << 20;

GuardTime now = 1000;
int64_t utcOffset;
std::map<std::string, ZoneRules> zones;
std::string systemZone;
struct FakeValue {
    std::string name;
    ValueType type;
    std::u16string text;
    uint32_t number;
};
std::map<std::pair<RegistryView, std::string>, std::vector<FakeValue>> registry;
std::map<std::string, std::wstring> outcome;
std::vector<SessionFact> sessions;
bool listFails;
SessionId consoleSession = noSession;
std::map<SessionId, FakeSession> sessionInfo;
std::vector<FakeChild> children;
std::vector<FakeChild> watches;
std::map<ChildId, std::vector<std::string>> reports;
std::map<std::string, FileStamp> stamps;
std::map<std::string, bool> held;
std::vector<FakeEvent> events;
long steps;
GuardTime interval = 2000;
GuardTime startTime;
int stoppingReports;

FakeChild* Find(ChildId child)
{
    if (child > watchIds && child - watchIds <= watches.size())
        return &watches[child - watchIds - 1];
    if (child == 0 || child > children.size())
        return nullptr;
    return &children[child - 1];
}

void End(FakeChild& child, unsigned long status, bool byGuard)
{
    if (!child.running)
        return;
    child.running = false;
    child.endedByGuard = byGuard;
    child.ended = now;
    child.status = status;
    child.endStep = ++steps;
}

}  // namespace

void FakeGuardReset()
{
    now = 1000;
    utcOffset = DaysFromDate(2026, 12, 7) * secondsPerDay - 1;
    zones.clear();
    systemZone.clear();
    registry.clear();
    outcome.clear();
    sessions.clear();
    listFails = false;
    consoleSession = noSession;
    sessionInfo.clear();
    children.clear();
    watches.clear();
    reports.clear();
    stamps.clear();
    held.clear();
    events.clear();
    steps = 0;
    interval = 2000;
    startTime = 0;
    stoppingReports = 0;
}

void FakeAdvance(GuardTime ms)
{
    now += ms;
    // Those that were ended from outside and took their time are gone once it is over.
    for (FakeChild& child : children)
        if (child.running && child.endsAt && child.endsAt <= now) {
            GuardTime at = now;
            now = child.endsAt;
            End(child, 1, true);
            now = at;
        }
}

void FakeSetUtc(int64_t utc) { utcOffset = utc - static_cast<int64_t>(now / 1000); }
void FakeSetZone(const std::string& name, const ZoneRules& zone) { zones[name] = zone; }
void FakeSetSystemZone(const std::string& name) { systemZone = name; }

namespace {

std::u16string Utf16(const std::string& utf8)
{
    std::u16string units;
    for (size_t i = 0; i < utf8.size();) {
        unsigned char lead = static_cast<unsigned char>(utf8[i]);
        int extra = lead >= 0xF0 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC0 ? 1 : 0;
        long code = extra ? lead & (0x3F >> extra) : lead;
        for (int k = 1; k <= extra && i + k < utf8.size(); ++k)
            code = (code << 6) | (static_cast<unsigned char>(utf8[i + k]) & 0x3F);
        i += static_cast<size_t>(extra) + 1;
        uint16_t pair[2];
        units.append(reinterpret_cast<const char16_t*>(pair), static_cast<size_t>(EncodeUtf16(code, pair)));
    }
    return units;
}

void SetValue(RegistryView view, const std::string& key, const FakeValue& value)
{
    std::vector<FakeValue>& values = registry[{view, key}];
    for (FakeValue& old : values)
        if (old.name == value.name) {
            old = value;
            return;
        }
    values.push_back(value);
}

void DeleteValue(RegistryView view, const std::string& key, const std::string& name)
{
    auto found = registry.find({view, key});
    if (found == registry.end())
        return;
    std::vector<FakeValue>& values = found->second;
    for (size_t i = 0; i < values.size(); ++i)
        if (values[i].name == name)
            values.erase(values.begin() + static_cast<long>(i));
}

// The last started of those running in the session, 0 when none: of the Pyxens or of
// the desktop watches.
ChildId LatestRunning(const std::vector<FakeChild>& list, SessionId session)
{
    ChildId latest = 0;
    for (const FakeChild& child : list)
        if (child.session == session && child.running)
            latest = child.id;
    return latest;
}

// Those whose handle, job and wait the guard still holds.
int StillHeld(const std::vector<FakeChild>& list)
{
    int held = 0;
    for (const FakeChild& child : list)
        held += !child.freed;
    return held;
}

}  // namespace

void FakeSetRegistryText(RegistryView view, const std::string& key, const std::string& name,
                         const std::string& text)
{
    SetValue(view, key, FakeValue{name, ValueType::Text, Utf16(text), 0});
}

void FakeSetRegistryNumber(RegistryView view, const std::string& key, const std::string& name,
                           uint32_t number)
{
    SetValue(view, key, FakeValue{name, ValueType::Number, u"", number});
}

void FakeDeleteRegistryKey(RegistryView view, const std::string& key) { registry.erase({view, key}); }

void FakeSetPolicy(PolicyHours kind, const std::vector<std::string>& lines,
                   const std::string& zone)
{
    const RegistryView view = RegistryView::Native;
    const std::string key = PYXEN_POLICY_KEY;
    DeleteValue(view, key, "EnforcementHours");
    DeleteValue(view, key, "HoursZone");
    FakeDeleteRegistryKey(view, key + "\\Hours");
    if (kind == PolicyHours::NotConfigured)
        return;
    FakeSetRegistryNumber(view, key, "EnforcementHours", kind == PolicyHours::Always ? 0 : 1);
    if (kind == PolicyHours::Always)
        return;
    FakeSetRegistryText(view, key, "HoursZone", zone);
    for (size_t i = 0; i < lines.size(); ++i)
        FakeSetRegistryText(view, key + "\\Hours", std::to_string(i + 1), lines[i]);
}

const std::map<std::string, std::wstring>& FakeOutcome() { return outcome; }

void FakeSetSessions(const std::vector<SessionId>& list)
{
    sessions.clear();
    for (SessionId session : list)
        sessions.push_back(SessionFact{session, SessionState::Active, true});
}

void FakeSetSessionFacts(const std::vector<SessionFact>& list) { sessions = list; }
void FakeSetConsoleSession(SessionId session) { consoleSession = session; }
void FakeSetUserName(SessionId session, const std::wstring& name) { sessionInfo[session].user = name; }
void FakeFailStarts(SessionId session, unsigned long error) { sessionInfo[session].startError = error; }

void FakeSetLoadTime(SessionId session, GuardTime ms) { sessionInfo[session].loadTime = ms; }
void FakeSetInterval(GuardTime ms) { interval = ms; }
void FakeSetEndTime(SessionId session, GuardTime ms) { sessionInfo[session].endTime = ms; }
void FakeSetStartTime(GuardTime ms) { startTime = ms; }

GuardTime FakeLongestOverlap()
{
    GuardTime longest = 0;
    for (const FakeChild& a : children)
        for (const FakeChild& b : children) {
            if (a.id >= b.id || a.session != b.session || a.desktop != b.desktop)
                continue;
            GuardTime from = a.firstSweep > b.firstSweep ? a.firstSweep : b.firstSweep;
            GuardTime aEnd = a.running ? now : a.ended;
            GuardTime bEnd = b.running ? now : b.ended;
            GuardTime to = aEnd < bEnd ? aEnd : bEnd;
            if (to > from && to - from > longest)
                longest = to - from;
        }
    return longest;
}

int FakeStoppingReports() { return stoppingReports; }

void FakeEndAtStart(SessionId session, bool endAtStart, unsigned long status)
{
    sessionInfo[session].endAtStart = endAtStart;
    sessionInfo[session].endStatus = status;
}

void FakeEndChild(ChildId child, unsigned long status)
{
    if (FakeChild* found = Find(child))
        End(*found, status, false);
}

const std::vector<FakeChild>& FakeChildren() { return children; }
const FakeChild* FakeFindChild(ChildId child) { return Find(child); }

ChildId FakeChildOf(SessionId session) { return LatestRunning(children, session); }

int FakeRunningIn(SessionId session)
{
    int running = 0;
    for (const FakeChild& child : children)
        running += child.session == session && child.running;
    return running;
}

int FakeHeldChildren() { return StillHeld(children); }

void FakeSetStamp(const std::string& path, FileStamp stamp) { stamps[path] = stamp; }

void FakeHoldFile(const std::string& path, bool hold) { held[path] = hold; }

bool FakeFileHeld(const std::string& path) { return held.count(path) && held[path]; }

const char pathSeparator = '/';

bool PrepareStoreFolder(const char* path)
{
    struct stat folder;
    return mkdir(path, 0700) == 0 || (stat(path, &folder) == 0 && S_ISDIR(folder.st_mode));
}

bool ReplaceWithFile(const char* from, const char* to) { return rename(from, to) == 0; }

bool FileIsHeld(const char* path) { return FakeFileHeld(path); }

const std::vector<FakeEvent>& FakeEvents() { return events; }

// The seam itself.

GuardTime GuardNow() { return now; }

int64_t GuardUtcNow() { return utcOffset + static_cast<int64_t>(now / 1000); }

void ReadRegistryKey(RegistryView view, const char* path, RegistryKey& key)
{
    auto found = registry.find({view, path});
    ClearRegistryKey(key, found != registry.end());
    if (found == registry.end())
        return;
    for (const FakeValue& value : found->second) {
        if (value.type == ValueType::Text)
            AddTextValue(key, value.name.c_str(), reinterpret_cast<const uint16_t*>(value.text.data()),
                         static_cast<int>(value.text.size()));
        else
            AddNumberValue(key, value.name.c_str(), value.number);
    }
}

void RecordSettingsOutcome(const OutcomeValue* values, int count)
{
    for (int i = 0; i < count; ++i)
        outcome[values[i].name] = values[i].text ? values[i].text : std::to_wstring(values[i].number);
}

bool ReadNamedZone(const char* keyName, ZoneRules& zone)
{
    auto found = zones.find(keyName);
    if (found == zones.end())
        return false;
    zone = found->second;
    return true;
}

bool ReadSystemZone(ZoneRules& zone, char* keyName, int keyNameSize)
{
    snprintf(keyName, static_cast<size_t>(keyNameSize), "%s", systemZone.c_str());
    zone = zones[systemZone];
    return true;
}

void FakeFailSessionList(bool fails) { listFails = fails; }

int ListSessions(SessionFact* list, int capacity)
{
    if (listFails)
        return -1;
    int count = 0;
    for (const SessionFact& session : sessions)
        if (count < capacity)
            list[count++] = session;
    return count;
}

SessionId ActiveConsoleSession() { return consoleSession; }

void SessionUserName(SessionId session, wchar_t* name, int size)
{
    if (size <= 0)
        return;
    const std::wstring& user = sessionInfo[session].user;
    wcsncpy(name, user.c_str(), size - 1);
    name[size - 1] = L'\0';
}

ChildId StartPyxen(SessionId session, unsigned long& error)
{
    return StartPyxenOn(session, L"Default", error);
}

ChildId StartPyxenOn(SessionId session, const wchar_t* desktop, unsigned long& error)
{
    const FakeSession& info = sessionInfo[session];
    if (info.startError != 0) {
        error = info.startError;
        return 0;
    }
    error = 0;
    now += startTime;  // the process runs from the end of the call
    ChildId id = children.size() + 1;
    children.push_back(FakeChild{id, session, now, true, now + info.loadTime + interval, false,
                                 0, 0, ++steps, 0, false, 0, 0, desktop});
    if (info.endAtStart)
        End(children.back(), info.endStatus, false);
    return id;
}

bool PyxenEnded(ChildId child, unsigned long& status)
{
    FakeChild* found = Find(child);
    if (!found || found->running)
        return false;
    status = found->status;
    return true;
}

void EndPyxen(ChildId child, GuardTime waitMs)
{
    FakeChild* found = Find(child);
    if (!found)
        return;
    found->freed = true;
    found->endWait = waitMs;
    if (!found->running)
        return;
    // The session's end time is its Pyxens'; a watch ends at once.
    GuardTime takes = child > watchIds ? 0 : sessionInfo[found->session].endTime;
    if (takes <= waitMs) {
        now += takes;
        End(*found, 1, true);
    } else {
        found->endsAt = now + takes;
        now += waitMs;
    }
}

void ReportStopping() { ++stoppingReports; }

FileStamp ReadFileStamp(const char* path)
{
    auto found = stamps.find(path);
    if (found == stamps.end())
        return FileStamp{0, 0, false};
    return found->second;
}

void ReportGuardEvent(GuardEvent event, const wchar_t* const* strings, int count)
{
    FakeEvent entry{event, {}};
    for (int i = 0; i < count; ++i)
        entry.strings.push_back(strings[i] ? strings[i] : L"");
    events.push_back(entry);
}

ChildId StartDesktopWatch(SessionId session, unsigned long& error)
{
    error = sessionInfo[session].watchError;
    if (error)
        return 0;
    ChildId id = watchIds + watches.size() + 1;
    watches.push_back(FakeChild{id, session, now, true, 0, false, 0, 0, ++steps, 0, false, 0, 0,
                                L""});
    return id;
}

int ReadDesktopReport(ChildId watch, char* report, int size)
{
    std::vector<std::string>& queued = reports[watch];
    if (queued.empty() || static_cast<int>(queued.front().size()) > size)
        return 0;
    int length = static_cast<int>(queued.front().size());
    queued.front().copy(report, queued.front().size());
    queued.erase(queued.begin());
    return length;
}

const std::vector<FakeChild>& FakeWatches() { return watches; }

ChildId FakeWatchOf(SessionId session) { return LatestRunning(watches, session); }

int FakeHeldWatches() { return StillHeld(watches); }

bool FakeWriteReport(SessionId session, const std::string& report)
{
    ChildId watch = FakeWatchOf(session);
    if (watch)
        reports[watch].push_back(report);
    return watch != 0;
}

int FakeRunningOn(SessionId session, const std::wstring& desktop)
{
    int running = 0;
    for (const FakeChild& child : children)
        running += child.session == session && child.running && child.desktop == desktop;
    return running;
}

void FakeFailWatchStarts(SessionId session, unsigned long error)
{
    sessionInfo[session].watchError = error;
}
