#include "guard/Guard.h"

namespace {

// All zero when free, so that the table takes no room in pyxen-guard.exe.
struct Guarded {
    bool used = false;
    SessionId session = 0;
    ChildId child = 0;              // 0 while held back
    GuardTime started = 0;
    int quickEnds = 0;              // in a row
    GuardTime heldUntil = 0;        // 0 when not held back
    GuardTime lastHold = 0;         // the length of the last pause, for the next one
    // A swap, in this session.
    ChildId successor = 0;          // started, not yet sweeping
    GuardTime successorStarted = 0;
    GuardTime takeOverAt = 0;       // when child ends and successor takes its place
    GuardTime swapAt = 0;           // when a successor is to be started; 0: none is
    bool inSwap = false;            // not yet counted in the swap's entry
    bool swapFailed = false;        // its one entry is written; retries are quiet
    bool startFailed = false;       // the last start failed, and was reported
};

Guarded guarded[guardMaxSessions];

bool enforcing = true;

// The last swap, until its entry is written.
struct {
    bool open;
    long interval;
    const wchar_t* rules;
    const wchar_t* files;
    int took;
} swap;

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
        if (slot.used && slot.session == session)
            return &slot;
    return nullptr;
}

Guarded* FindFree()
{
    for (Guarded& slot : guarded)
        if (!slot.used)
            return &slot;
    return nullptr;
}

// A session beyond the table's size is reported once a run: a host that reaches it
// needs a word, not a storm of them.
bool limitReported;

Guarded* Add(SessionId session)
{
    if (Guarded* slot = Find(session))
        return slot;
    Guarded* slot = FindFree();
    if (slot) {
        *slot = Guarded{};
        slot->used = true;
        slot->session = session;
    } else if (!limitReported) {
        limitReported = true;
        wchar_t limit[24];
        Number(guardMaxSessions, limit);
        Guarded refused;
        refused.session = session;
        Report(GuardEvent::SessionLimit, refused, limit);
    }
    return slot;
}

// Ends the session's Pyxens and frees its slot, with all the guard held for them.
void Forget(Guarded& slot)
{
    if (slot.child)
        EndPyxen(slot.child);
    if (slot.successor)
        EndPyxen(slot.successor);
    slot = Guarded{};
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
        slot.startFailed = false;
        // It reads the settings as they are now: a swap has nothing left to do here.
        if (slot.swapAt && !slot.successor) {
            slot.swapAt = 0;
            slot.inSwap = false;
        }
        return true;
    }
    // Nothing a user does makes a start fail (the guard's folder is shut to them): one
    // failure is tried again within seconds, and only failures in a row wait a pause.
    if (slot.startFailed) {
        HoldBack(slot, slot.started);
        return false;
    }
    slot.startFailed = true;
    slot.heldUntil = slot.started + startRetryMs;
    wchar_t code[24];
    Number(error, code);
    Report(GuardEvent::PyxenStartFailed, slot, code);
    return false;
}

// Room for more sessions than are guarded, so that one beyond the limit is seen (and
// reported), not cut off the list.
const int listCapacity = 2 * guardMaxSessions;

// The sessions with a user, into sessions (listCapacity of them); with none listed,
// the console if it has one.
int UserSessions(SessionId* sessions)
{
    int count = ListUserSessions(sessions, listCapacity);
    if (count < 0)
        return count;
    SessionId console = ActiveConsoleSession();
    if (count == 0 && console != noSession && SessionHasUser(console))
        sessions[count++] = console;
    return count;
}

void Ended(Guarded& slot, unsigned long status, GuardTime now)
{
    slot.child = 0;
    if (!SessionHasUser(slot.session)) {
        Forget(slot);
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

// The slot's part in the swap is over: its successor took over, or failed.
void LeaveSwap(Guarded& slot, bool took)
{
    if (slot.inSwap && took)
        ++swap.took;
    slot.inSwap = false;
}

// The successor could not start (error) or ended early (status): the old Pyxen stays,
// one entry is written, and another try comes later.
void SwapFailed(Guarded& slot, GuardTime now, GuardEvent event, unsigned long code)
{
    // A start that failed once is tried again soon, as outside a swap.
    bool quickRetry = !slot.swapFailed && event == GuardEvent::PyxenStartFailed;
    if (!slot.swapFailed) {
        slot.swapFailed = true;
        wchar_t text[24];
        wchar_t seconds[24];
        Number(code, text);
        Number(swapRetryMs / 1000, seconds);
        Report(event, slot, text, event == GuardEvent::SwapFailed ? seconds : nullptr);
    }
    slot.swapAt = now + (quickRetry ? startRetryMs : swapRetryMs);
    LeaveSwap(slot, false);
}

void StartSuccessor(Guarded& slot, GuardTime now)
{
    slot.swapAt = 0;
    if (!slot.child) {  // ended meanwhile: whatever starts next reads the new settings
        LeaveSwap(slot, false);
        return;
    }
    // Taken before the start: the successor's timer is set later still.
    GuardTime before = GuardNow();
    unsigned long error = 0;
    slot.successor = StartPyxen(slot.session, error);
    if (!slot.successor) {
        SwapFailed(slot, now, GuardEvent::PyxenStartFailed, error);
        return;
    }
    GuardTime interval = swap.interval > 0 ? static_cast<GuardTime>(swap.interval) : 0;
    slot.successorStarted = before;
    slot.takeOverAt = before + (interval > swapMarginMs ? interval - swapMarginMs : 0);
}

// The old Pyxen ends (unless it has already) and the successor takes its place.
void TakeOver(Guarded& slot)
{
    if (slot.child)
        EndPyxen(slot.child);
    slot.child = slot.successor;
    slot.started = slot.successorStarted;
    slot.successor = 0;
    slot.takeOverAt = 0;
    slot.quickEnds = 0;
    slot.lastHold = 0;
    slot.swapFailed = false;
    LeaveSwap(slot, true);
}

// A successor that ended early fails; one whose time has come takes over.
void PollSwap(Guarded& slot, GuardTime now)
{
    unsigned long status = 0;
    if (slot.successor && PyxenEnded(slot.successor, status)) {
        EndPyxen(slot.successor);
        slot.successor = 0;
        slot.takeOverAt = 0;
        SwapFailed(slot, now, GuardEvent::SwapFailed, status);
    } else if (slot.successor && now >= slot.takeOverAt) {
        TakeOver(slot);
    }
}

void StartIn(SessionId session)
{
    if (!enforcing)
        return;
    Guarded* slot = Add(session);
    if (slot && slot->child == 0 && slot->heldUntil == 0 && Start(*slot))
        Report(GuardEvent::PyxenStarted, *slot);
}

}  // namespace

void GuardStart(bool enforcingNow)
{
    for (Guarded& slot : guarded)
        slot = Guarded{};
    enforcing = enforcingNow;
    swap.open = false;
    limitReported = false;
    ReportGuardEvent(GuardEvent::GuardStarted, nullptr, 0);
    GuardReconcile();
}

void GuardSetEnforcing(bool enforcingNow)
{
    if (enforcingNow == enforcing)
        return;
    enforcing = enforcingNow;
    if (enforcing) {
        GuardReconcile();
        return;
    }
    for (Guarded& slot : guarded)
        if (slot.used)
            Forget(slot);
    // No session is left to take the new settings; the store has them for the next
    // beginning, and an entry after the hours' end would count none.
    swap.open = false;
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
    if (SessionHasUser(session))
        StartIn(session);
}

void GuardLogoff(SessionId session)
{
    if (Guarded* slot = Find(session))
        Forget(*slot);
}

void GuardReconcile()
{
    static SessionId sessions[listCapacity];
    int count = UserSessions(sessions);
    // A list that could not be had says nothing: every session stays as it is.
    if (count < 0)
        return;
    // A full list may have been cut short: only a session it holds is known to be there.
    bool whole = count < listCapacity;
    for (Guarded& slot : guarded) {
        if (!slot.used || !whole)
            continue;
        bool listed = false;
        for (int i = 0; i < count && !listed; ++i)
            listed = sessions[i] == slot.session;
        if (!listed)
            Forget(slot);
    }
    for (int i = 0; i < count; ++i)
        StartIn(sessions[i]);
}

void GuardPoll()
{
    GuardTime now = GuardNow();
    for (Guarded& slot : guarded) {
        if (!slot.used)
            continue;
        PollSwap(slot, now);
        unsigned long status = 0;
        if (slot.child && PyxenEnded(slot.child, status)) {
            EndPyxen(slot.child);
            slot.child = 0;
            // The successor is ready to take over: nothing else sweeps now.
            if (slot.successor)
                TakeOver(slot);
            else
                Ended(slot, status, now);
        } else if (!slot.child && slot.heldUntil && now >= slot.heldUntil) {
            if (!SessionHasUser(slot.session))
                Forget(slot);
            else if (Start(slot))
                Report(GuardEvent::PyxenStarted, slot);
        }
    }
    // One start a pass, after the takeovers that are due: a takeover waits for one
    // start at most, and the successor it is for started no later than that start began.
    for (Guarded& slot : guarded) {
        if (slot.used && slot.swapAt && now >= slot.swapAt) {
            StartSuccessor(slot, now);
            break;
        }
    }
    if (swap.open) {
        bool done = true;
        for (const Guarded& slot : guarded)
            done = done && (!slot.used || !slot.inSwap);
        if (done) {
            swap.open = false;
            wchar_t took[24];
            Number(static_cast<unsigned long long>(swap.took), took);
            const wchar_t* strings[] = {swap.rules, swap.files, took};
            ReportGuardEvent(GuardEvent::SettingsApplied, strings, 3);
        }
    }
}

GuardTime GuardNextWake()
{
    GuardTime now = GuardNow();
    GuardTime next = 0;
    for (const Guarded& slot : guarded) {
        if (!slot.used)
            continue;
        GuardTime at = 0;
        if (!slot.child && slot.heldUntil)
            at = slot.heldUntil;
        if (slot.successor && (!at || slot.takeOverAt < at))
            at = slot.takeOverAt;
        if (slot.swapAt && (!at || slot.swapAt < at))
            at = slot.swapAt;
        if (at && (!next || at < next))
            next = at;
    }
    // The swap's entry is written by the pass after its last session left it.
    if (swap.open && !next)
        next = now;
    return next;
}

void GuardSwapAll(long sweepInterval, const wchar_t* rules, const wchar_t* files)
{
    GuardTime now = GuardNow();
    swap.open = true;
    swap.interval = sweepInterval;
    swap.rules = rules;
    swap.files = files;
    swap.took = 0;
    for (Guarded& slot : guarded) {
        if (!slot.used)
            continue;
        // A successor of the swap given up was started with the settings before these;
        // it has not swept yet, so it ends and a new one follows.
        if (slot.successor) {
            EndPyxen(slot.successor);
            slot.successor = 0;
            slot.takeOverAt = 0;
        }
        slot.swapFailed = false;
        slot.inSwap = slot.child != 0;
        slot.swapAt = slot.child ? now : 0;
        if (!slot.child && slot.heldUntil) {
            slot.quickEnds = 0;
            slot.lastHold = 0;
            slot.heldUntil = 0;
            if (Start(slot)) {
                Report(GuardEvent::PyxenStarted, slot);
                ++swap.took;
            }
        }
    }
}

void GuardStop()
{
    for (Guarded& slot : guarded) {
        if (!slot.used)
            continue;
        bool ending = slot.child || slot.successor;
        Forget(slot);
        if (ending)
            ReportStopping();
    }
    swap.open = false;
    ReportGuardEvent(GuardEvent::GuardStopped, nullptr, 0);
}
