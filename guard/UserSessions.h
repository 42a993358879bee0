#pragma once
// Which sessions have a user, from the facts Windows gives of each: the one answer for
// the guard's starts, its reconcile and its forgetting.
#include "guard/GuardSystem.h"

// Room for more sessions than are guarded, so that one beyond the limit is seen (and
// reported), not cut off the list.
const int sessionListCapacity = 2048;

// A session counts once its user has logged on, while it is on a screen or disconnected:
// one that is only connected shows its logon screen, and session 0 has no user.
bool CountsAsUser(const SessionFact& session);

// The sessions with a user, at most sessionListCapacity of them; -1 when the list can't
// be had. whole is false when the list may have been cut short, so that a session it
// doesn't hold may still be there. Windows always lists session 0, its services'; a list with no session at all
// comes from a system that keeps none (Wine), where the console session is the one
// user's.
int UserSessions(SessionId* sessions, bool& whole);

// Whether the session has a logged-on user now. True when the list can't be had: a
// session is forgotten only once it is known to be gone.
bool SessionHasUser(SessionId session);
