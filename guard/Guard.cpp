#include "guard/Guard.h"

namespace {

struct Guarded {
    SessionId session = noSession;  // noSession: a free slot
    ChildId child = 0;              // 0 while held back
    ChildId retiring = 0;           // the Pyxen a swap replaced, until retireAt
    GuardTime started = 0;
    int quickEnds = 0;              // in a row
    GuardTime heldUntil = 0;        // 0 when not held back
    GuardTime lastHold = 0;         // the length of the last pause, for the next one
};

Guarded guarded[guardMaxSessions];
GuardTime retireAt;  // 0 when no swap waits to end the Pyxens it replaced

// Decimal digits of value into text, which holds 24 characters.
void Number(unsigned long long value, wchar_t* text)
{
    wchar_t digits[24];
    int count = 0;
    do {
        digits[count++] = static_cast<wchar_t>(L'0' + value % 10);
        value /= 10;
    } while (value);
    for (int i = 0; i < count; ++i)
        text[i] = digits[count - 1 - i];
    text[count] = L'\0';
}

// Entries name the session and its user: session, user, then the event's own strings.
void Report(GuardEvent event, const Guarded& slot, const wchar_t* extra1 = nullptr,
            const wchar_t* extra2 = nullptr)
{
    wchar_t session[24];
    wchar_t user[128];
    Number(slot.session, session);
    SessionUserName(slot.session, user, 128);
    const wchar_t* strings[] = {session, user, extra1, extra2};
    int count = extra2 ? 4 : extra1 ? 3 : 2;
    ReportGuardEvent(event, strings, count);
}

Guarded* Find(SessionId session)
{
    for (Guarded& slot : guarded)
        if (slot.session == session)
            return &slot;
    return nullptr;
}

Guarded* Add(SessionId session)
{
    if (Guarded* slot = Find(session))
        return slot;
    Guarded* slot = Find(noSession);
    if (slot) {
        *slot = Guarded{};
        slot->session = session;
    }
    return slot;
}

void HoldBack(Guarded& slot, GuardTime now)
{
    GuardTime hold = slot.lastHold ? slot.lastHold * 2 : firstHoldMs;
    if (hold > longestHoldMs)
        hold = longestHoldMs;
    slot.lastHold = hold;
    slot.heldUntil = now + hold;
}

// Starts the slot's Pyxen; a failed start is reported once and waits a pause, as a
// Pyxen that keeps ending does.
bool Start(Guarded& slot)
{
    unsigned long error = 0;
    slot.child = StartPyxen(slot.session, error);
    slot.started = GuardNow();
    if (slot.child != 0) {
        slot.heldUntil = 0;
        return true;
    }
    wchar_t code[24];
    Number(error, code);
    Report(GuardEvent::PyxenStartFailed, slot, code);
    HoldBack(slot, slot.started);
    return false;
}

// The session has a user: it is listed, or, when no session is listed, it is the console.
bool HasUser(SessionId session)
{
    SessionId sessions[guardMaxSessions];
    int count = ListUserSessions(sessions, guardMaxSessions);
    for (int i = 0; i < count; ++i)
        if (sessions[i] == session)
            return true;
    return count == 0 && session == ActiveConsoleSession();
}

void Ended(Guarded& slot, unsigned long status, GuardTime now)
{
    slot.child = 0;
    if (!HasUser(slot.session)) {
        slot.session = noSession;
        return;
    }
    bool quick = now - slot.started < quickEndMs;
    slot.quickEnds = quick ? slot.quickEnds + 1 : 0;
    if (!quick)
        slot.lastHold = 0;
    wchar_t code[24];
    Number(status, code);
    // After a pause the first quick end holds it back again, for longer.
    if (slot.quickEnds > quickEndsAllowed || (quick && slot.lastHold)) {
        HoldBack(slot, now);
        wchar_t seconds[24];
        Number(slot.lastHold / 1000, seconds);
        Report(GuardEvent::PyxenHeldBack, slot, code, seconds);
        return;
    }
    if (Start(slot))
        Report(GuardEvent::PyxenRestarted, slot, code);
}

void Retire(Guarded& slot)
{
    if (slot.retiring)
        EndPyxen(slot.retiring);
    slot.retiring = 0;
}

void RetireAll()
{
    for (Guarded& slot : guarded)
        Retire(slot);
    retireAt = 0;
}

void StartIn(SessionId session)
{
    Guarded* slot = Add(session);
    if (slot && slot->child == 0 && slot->heldUntil == 0 && Start(*slot))
        Report(GuardEvent::PyxenStarted, *slot);
}

}  // namespace

void GuardStart()
{
    for (Guarded& slot : guarded)
        slot = Guarded{};
    retireAt = 0;
    ReportGuardEvent(GuardEvent::GuardStarted, nullptr, 0);
    SessionId sessions[guardMaxSessions];
    int count = ListUserSessions(sessions, guardMaxSessions);
    for (int i = 0; i < count; ++i)
        StartIn(sessions[i]);
    SessionId console = ActiveConsoleSession();
    if (count == 0 && console != noSession)
        StartIn(console);
}

void GuardLogon(SessionId session)
{
    // A new logon is a new user: what the last one's Pyxen did says nothing about it.
    if (Guarded* slot = Find(session)) {
        if (slot->child == 0) {
            slot->heldUntil = 0;
            slot->quickEnds = 0;
            slot->lastHold = 0;
        }
    }
    StartIn(session);
}

void GuardLogoff(SessionId session)
{
    if (Guarded* slot = Find(session)) {
        if (slot->child)
            EndPyxen(slot->child);
        Retire(*slot);
        slot->session = noSession;
        slot->child = 0;
    }
}

void GuardPoll()
{
    GuardTime now = GuardNow();
    if (retireAt && now >= retireAt)
        RetireAll();
    for (Guarded& slot : guarded) {
        if (slot.session == noSession)
            continue;
        unsigned long status = 0;
        if (slot.child && PyxenEnded(slot.child, status)) {
            EndPyxen(slot.child);
            Ended(slot, status, now);
        } else if (!slot.child && slot.heldUntil && now >= slot.heldUntil) {
            if (!HasUser(slot.session))
                slot.session = noSession;
            else if (Start(slot))
                Report(GuardEvent::PyxenStarted, slot);
        }
    }
}

GuardTime GuardNextWake()
{
    GuardTime next = retireAt;
    for (const Guarded& slot : guarded)
        if (slot.session != noSession && !slot.child && slot.heldUntil &&
            (next == 0 || slot.heldUntil < next))
            next = slot.heldUntil;
    return next;
}

int GuardChildren(ChildId* children, int capacity)
{
    int count = 0;
    for (const Guarded& slot : guarded)
        if (slot.session != noSession && slot.child && count < capacity)
            children[count++] = slot.child;
    return count;
}

int GuardSwapAll(long sweepInterval)
{
    // The old Pyxens of a swap still waiting go now: the ones replacing them are older
    // than a moment and about to sweep.
    RetireAll();
    GuardTime firstReady = 0;
    int swapped = 0;
    for (Guarded& slot : guarded) {
        if (slot.session == noSession || !slot.child)
            continue;
        unsigned long error = 0;
        ChildId fresh = StartPyxen(slot.session, error);
        if (!fresh) {
            wchar_t code[24];
            Number(error, code);
            Report(GuardEvent::PyxenStartFailed, slot, code);
            continue;
        }
        if (!WaitPyxenReady(fresh, pyxenReadyMs)) {
            EndPyxen(fresh);
            continue;
        }
        slot.retiring = slot.child;
        slot.child = fresh;
        slot.started = GuardNow();
        if (!firstReady)
            firstReady = slot.started;
        slot.quickEnds = 0;
        slot.lastHold = 0;
        ++swapped;
    }
    if (swapped) {
        // A Pyxen's timer takes what it is given, so an interval below the margin, or none,
        // sweeps at once.
        GuardTime wait = sweepInterval > static_cast<long>(swapMarginMs)
                             ? static_cast<GuardTime>(sweepInterval) - swapMarginMs
                             : 0;
        retireAt = firstReady + wait;
        if (wait == 0)
            RetireAll();
    }
    GuardReleaseHeld();
    return swapped;
}

void GuardReleaseHeld()
{
    for (Guarded& slot : guarded) {
        if (slot.session == noSession || slot.child || !slot.heldUntil)
            continue;
        slot.quickEnds = 0;
        slot.lastHold = 0;
        slot.heldUntil = 0;
        StartIn(slot.session);
    }
}

void GuardStop()
{
    RetireAll();
    for (Guarded& slot : guarded) {
        if (slot.session != noSession && slot.child)
            EndPyxen(slot.child);
        slot = Guarded{};
    }
    ReportGuardEvent(GuardEvent::GuardStopped, nullptr, 0);
}
