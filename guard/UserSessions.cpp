#include "guard/UserSessions.h"

namespace {

SessionFact listed[sessionListCapacity];

}  // namespace

bool CountsAsUser(const SessionFact& session)
{
    bool inUse = session.state == SessionState::Active ||
                 session.state == SessionState::Disconnected;
    return inUse && session.hasUserName;
}

int UserSessions(SessionId* sessions, bool& whole)
{
    int count = ListSessions(listed, sessionListCapacity);
    whole = count >= 0 && count < sessionListCapacity;
    if (count < 0)
        return -1;
    int found = 0;
    for (int i = 0; i < count; ++i)
        if (CountsAsUser(listed[i]))
            sessions[found++] = listed[i].id;
    SessionId console = ActiveConsoleSession();
    if (count == 0 && console != noSession)
        sessions[found++] = console;
    return found;
}

bool SessionHasUser(SessionId session)
{
    int count = ListSessions(listed, sessionListCapacity);
    if (count < 0)
        return true;
    for (int i = 0; i < count; ++i)
        if (listed[i].id == session)
            return CountsAsUser(listed[i]);
    return count == 0 && session == ActiveConsoleSession();
}
