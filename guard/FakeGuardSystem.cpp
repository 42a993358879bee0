#include "guard/FakeGuardSystem.h"

#include <wchar.h>

namespace {

struct FakeSession {
    std::wstring user;
    unsigned long startError = 0;
    bool endAtStart = false;
    unsigned long endStatus = 0;
};

GuardTime now = 1000;
std::vector<SessionId> sessions;
SessionId consoleSession = noSession;
std::map<SessionId, FakeSession> sessionInfo;
std::vector<FakeChild> children;
std::map<std::string, FileStamp> stamps;
std::vector<FakeEvent> events;
long steps;

FakeChild* Find(ChildId child)
{
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
    sessions.clear();
    consoleSession = noSession;
    sessionInfo.clear();
    children.clear();
    stamps.clear();
    events.clear();
    steps = 0;
}

void FakeAdvance(GuardTime ms) { now += ms; }

void FakeSetSessions(const std::vector<SessionId>& list) { sessions = list; }
void FakeSetConsoleSession(SessionId session) { consoleSession = session; }
void FakeSetUserName(SessionId session, const std::wstring& name) { sessionInfo[session].user = name; }
void FakeFailStarts(SessionId session, unsigned long error) { sessionInfo[session].startError = error; }

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

ChildId FakeChildOf(SessionId session)
{
    ChildId latest = 0;
    for (const FakeChild& child : children)
        if (child.session == session && child.running)
            latest = child.id;
    return latest;
}

int FakeRunningIn(SessionId session)
{
    int running = 0;
    for (const FakeChild& child : children)
        running += child.session == session && child.running;
    return running;
}

void FakeSetStamp(const std::string& path, FileStamp stamp) { stamps[path] = stamp; }

const std::vector<FakeEvent>& FakeEvents() { return events; }

// The seam itself.

GuardTime GuardNow() { return now; }

int ListUserSessions(SessionId* list, int capacity)
{
    int count = 0;
    for (SessionId session : sessions)
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
    const FakeSession& info = sessionInfo[session];
    if (info.startError != 0) {
        error = info.startError;
        return 0;
    }
    error = 0;
    ChildId id = children.size() + 1;
    children.push_back(FakeChild{id, session, now, true, false, false, 0, 0, ++steps, 0});
    if (info.endAtStart)
        End(children.back(), info.endStatus, false);
    return id;
}

bool WaitPyxenReady(ChildId child, unsigned long)
{
    FakeChild* found = Find(child);
    if (!found || !found->running)
        return false;
    found->ready = true;
    return true;
}

bool PyxenEnded(ChildId child, unsigned long& status)
{
    FakeChild* found = Find(child);
    if (!found || found->running)
        return false;
    status = found->status;
    return true;
}

void EndPyxen(ChildId child)
{
    if (FakeChild* found = Find(child))
        End(*found, 1, true);
}

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
