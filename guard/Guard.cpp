#include "guard/Guard.h"

#include "config/Decimal.h"

#include "guard/RestartThrottle.h"
#include "guard/UserSessions.h"

namespace {

// What a session's slot is doing. A free slot is all zero (Guarded{}), so that the table
// takes no room in pyxen-guard.exe.
enum class SlotState : unsigned char {
    Free,
    // No Pyxen and none due: a slot just taken, a Pyxen just let go, or a pause that a
    // logon ended while the session showed no user. StartIn starts one.
    Idle,
    Running,   // child runs, or has ended and GuardPoll has yet to see it
    HeldBack,  // no Pyxen until throttle.HeldUntil()
};

// A session's part in a swap (GuardSwapAll).
enum class SwapStep : unsigned char {
    None,       // its Pyxen has the settings it is to have
    Due,        // a successor is started at swapDue
    Successor,  // one started, not yet sweeping: it takes over at TakeOverAt
};

struct Successor {
    ChildId child;
    GuardTime started;  // taken before its start: its timer is set later still
};

struct Guarded {
    SlotState state;
    SessionId session;
    ChildId child;
    GuardTime started;
    RestartThrottle throttle;
    SwapStep swapStep;
    // Its one entry is written: retries are quiet, and the swap's entry waits no more.
    bool swapFailed;
    GuardTime swapDue;
    Successor successor;
};

Guarded guarded[guardMaxSessions];
static_assert(sessionListCapacity > guardMaxSessions, "a session beyond the limit is listed");

bool enforcing = true;

// The last swap, until its entry is written.
struct {
    bool open;
    SwapSettings settings;
    int took;
} swap;

// Entries name the session and its user: session, user, then the event's own strings.
void Report(GuardEvent event, SessionId session, const wchar_t* extra1 = nullptr,
            const wchar_t* extra2 = nullptr)
{
    wchar_t number[decimalSize];
    wchar_t user[128];
    WriteDecimal(session, number);
    SessionUserName(session, user, 128);
    const wchar_t* strings[] = {number, user, extra1, extra2};
    int count = extra2 ? 4 : extra1 ? 3 : 2;
    ReportGuardEvent(event, strings, count);
}

Guarded* Find(SessionId session)
{
    for (Guarded& slot : guarded)
        if (slot.state != SlotState::Free && slot.session == session)
            return &slot;
    return nullptr;
}

Guarded* FindFree()
{
    for (Guarded& slot : guarded)
        if (slot.state == SlotState::Free)
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
        slot->state = SlotState::Idle;
        slot->session = session;
    } else if (!limitReported) {
        limitReported = true;
        wchar_t limit[decimalSize];
        WriteDecimal(guardMaxSessions, limit);
        Report(GuardEvent::SessionLimit, session, limit);
    }
    return slot;
}

// Ends the session's Pyxens and frees its slot, with all the guard held for them.
void Forget(Guarded& slot)
{
    if (slot.state == SlotState::Running)
        EndPyxen(slot.child, endWaitMs);
    if (slot.swapStep == SwapStep::Successor)
        EndPyxen(slot.successor.child, endWaitMs);
    slot = Guarded{};
}

// Whether the open swap's entry waits for the slot.
bool Awaited(const Guarded& slot)
{
    return slot.swapStep != SwapStep::None && !slot.swapFailed;
}

// The slot's part in the swap is over: its successor took over, or it needs none.
void LeaveSwap(Guarded& slot, bool took)
{
    if (took && Awaited(slot))
        ++swap.took;
    slot.swapStep = SwapStep::None;
    slot.swapFailed = false;
}

// Starts the slot's Pyxen; a failed start holds the session back as the throttle says,
// and the first of a row is reported.
bool Start(Guarded& slot)
{
    unsigned long error = 0;
    slot.child = StartPyxen(slot.session, error);
    slot.started = GuardNow();
    if (slot.child != 0) {
        slot.state = SlotState::Running;
        slot.throttle.Started();
        // It reads the settings as they are now: a swap has nothing left to do here.
        if (slot.swapStep == SwapStep::Due)
            LeaveSwap(slot, false);
        return true;
    }
    slot.state = SlotState::HeldBack;
    if (slot.throttle.StartFailed(slot.started)) {
        wchar_t code[decimalSize];
        WriteDecimal(error, code);
        Report(GuardEvent::PyxenStartFailed, slot.session, code);
    }
    return false;
}

// The slot's Pyxen has ended and been let go.
void Ended(Guarded& slot, unsigned long status, GuardTime now)
{
    if (!SessionHasUser(slot.session)) {
        Forget(slot);
        return;
    }
    wchar_t code[decimalSize];
    WriteDecimal(status, code);
    if (slot.throttle.HoldAfterEnd(slot.started, now)) {
        slot.state = SlotState::HeldBack;
        wchar_t seconds[decimalSize];
        WriteDecimal(slot.throttle.Pause() / 1000, seconds);
        Report(GuardEvent::PyxenHeldBack, slot.session, code, seconds);
        return;
    }
    if (Start(slot))
        Report(GuardEvent::PyxenRestarted, slot.session, code);
}

// The successor could not start (error) or ended early (status): the old Pyxen stays,
// one entry is written, and another try comes later.
void SwapFailed(Guarded& slot, GuardTime now, GuardEvent event, unsigned long code)
{
    // A start that failed once is tried again soon, as outside a swap.
    bool quickRetry = !slot.swapFailed && event == GuardEvent::PyxenStartFailed;
    if (!slot.swapFailed) {
        wchar_t text[decimalSize];
        wchar_t seconds[decimalSize];
        WriteDecimal(code, text);
        WriteDecimal(swapRetryMs / 1000, seconds);
        Report(event, slot.session, text, event == GuardEvent::SwapFailed ? seconds : nullptr);
    }
    slot.swapFailed = true;
    slot.swapStep = SwapStep::Due;
    slot.swapDue = now + (quickRetry ? startRetryMs : swapRetryMs);
}

void StartSuccessor(Guarded& slot, GuardTime now)
{
    if (slot.state != SlotState::Running) {  // whatever starts next reads the new settings
        LeaveSwap(slot, false);
        return;
    }
    GuardTime before = GuardNow();
    unsigned long error = 0;
    ChildId successor = StartPyxen(slot.session, error);
    if (!successor) {
        SwapFailed(slot, now, GuardEvent::PyxenStartFailed, error);
        return;
    }
    slot.swapStep = SwapStep::Successor;
    slot.successor = Successor{successor, before};
}

// Just before the successor's first sweep can come.
GuardTime TakeOverAt(const Guarded& slot)
{
    GuardTime interval = swap.settings.interval > 0 ? static_cast<GuardTime>(swap.settings.interval) : 0;
    return slot.successor.started + (interval > swapMarginMs ? interval - swapMarginMs : 0);
}

// The old Pyxen ends (unless it has already) and the successor takes its place.
void TakeOver(Guarded& slot)
{
    if (slot.state == SlotState::Running)
        EndPyxen(slot.child, endWaitMs);
    slot.state = SlotState::Running;
    slot.child = slot.successor.child;
    slot.started = slot.successor.started;
    slot.throttle.Reset();
    LeaveSwap(slot, true);
}

// A successor that ended early fails; one whose time has come takes over.
void PollSwap(Guarded& slot, GuardTime now)
{
    if (slot.swapStep != SwapStep::Successor)
        return;
    unsigned long status = 0;
    if (PyxenEnded(slot.successor.child, status)) {
        EndPyxen(slot.successor.child, endWaitMs);
        SwapFailed(slot, now, GuardEvent::SwapFailed, status);
    } else if (now >= TakeOverAt(slot)) {
        TakeOver(slot);
    }
}

void StartIn(SessionId session)
{
    if (!enforcing)
        return;
    Guarded* slot = Add(session);
    if (slot && slot->state == SlotState::Idle && Start(*slot))
        Report(GuardEvent::PyxenStarted, slot->session);
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
        if (slot.state != SlotState::Free)
            Forget(slot);
    // No session is left to take the new settings; the store has them for the next
    // beginning, and an entry after the hours' end would count none.
    swap.open = false;
}

void GuardLogon(SessionId session)
{
    // A new logon is a new user: what the last one's Pyxen did says nothing about it.
    Guarded* slot = Find(session);
    if (slot && slot->state == SlotState::HeldBack) {
        slot->throttle.Reset();
        slot->state = SlotState::Idle;
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
    static SessionId sessions[sessionListCapacity];
    bool whole = false;
    int count = UserSessions(sessions, whole);
    // A list that could not be had says nothing: every session stays as it is.
    if (count < 0)
        return;
    // A list cut short: only a session it holds is known to be there.
    for (Guarded& slot : guarded) {
        if (slot.state == SlotState::Free || !whole)
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
        if (slot.state == SlotState::Free)
            continue;
        PollSwap(slot, now);
        unsigned long status = 0;
        if (slot.state == SlotState::Running && PyxenEnded(slot.child, status)) {
            EndPyxen(slot.child, endWaitMs);
            slot.state = SlotState::Idle;
            // The successor is ready to take over: nothing else sweeps now.
            if (slot.swapStep == SwapStep::Successor)
                TakeOver(slot);
            else
                Ended(slot, status, now);
        } else if (slot.state == SlotState::HeldBack && now >= slot.throttle.HeldUntil()) {
            if (!SessionHasUser(slot.session))
                Forget(slot);
            else if (Start(slot))
                Report(GuardEvent::PyxenStarted, slot.session);
        }
    }
    // One start a pass, after the takeovers that are due: a takeover waits for one
    // start at most, and the successor it is for started no later than that start began.
    for (Guarded& slot : guarded) {
        if (slot.swapStep == SwapStep::Due && now >= slot.swapDue) {
            StartSuccessor(slot, now);
            break;
        }
    }
    if (swap.open) {
        bool done = true;
        for (const Guarded& slot : guarded)
            done = done && !Awaited(slot);
        if (done) {
            swap.open = false;
            wchar_t rules[decimalSize];
            wchar_t took[decimalSize];
            WriteDecimal(static_cast<unsigned long long>(swap.settings.rules), rules);
            WriteDecimal(static_cast<unsigned long long>(swap.took), took);
            // The source is named when the watch gives it.
            const wchar_t* source = swap.settings.source ? swap.settings.source : L"";
            const wchar_t* strings[] = {rules, swap.settings.files, took, source};
            ReportGuardEvent(GuardEvent::SettingsApplied, strings, source[0] ? 4 : 3);
        }
    }
}

GuardTime GuardNextWake()
{
    GuardTime now = GuardNow();
    GuardTime next = 0;
    for (const Guarded& slot : guarded) {
        GuardTime at = 0;
        if (slot.state == SlotState::HeldBack)
            at = slot.throttle.HeldUntil();
        if (slot.swapStep == SwapStep::Successor && (!at || TakeOverAt(slot) < at))
            at = TakeOverAt(slot);
        if (slot.swapStep == SwapStep::Due && (!at || slot.swapDue < at))
            at = slot.swapDue;
        if (at && (!next || at < next))
            next = at;
    }
    // The swap's entry is written by the pass after its last session left it.
    if (swap.open && !next)
        next = now;
    return next;
}

void GuardSwapAll(const SwapSettings& settings)
{
    GuardTime now = GuardNow();
    swap.open = true;
    swap.settings = settings;
    swap.took = 0;
    for (Guarded& slot : guarded) {
        if (slot.state == SlotState::Free)
            continue;
        // A successor of the swap given up was started with the settings before these;
        // it has not swept yet, so it ends and a new one follows.
        if (slot.swapStep == SwapStep::Successor)
            EndPyxen(slot.successor.child, endWaitMs);
        slot.swapFailed = false;
        slot.swapStep = slot.state == SlotState::Running ? SwapStep::Due : SwapStep::None;
        slot.swapDue = now;
        if (slot.state == SlotState::HeldBack) {
            slot.throttle.Reset();
            if (Start(slot)) {
                Report(GuardEvent::PyxenStarted, slot.session);
                ++swap.took;
            }
        }
    }
}

void GuardStop()
{
    for (Guarded& slot : guarded) {
        if (slot.state == SlotState::Free)
            continue;
        bool ending = slot.state == SlotState::Running || slot.swapStep == SwapStep::Successor;
        Forget(slot);
        if (ending)
            ReportStopping();
    }
    swap.open = false;
    ReportGuardEvent(GuardEvent::GuardStopped, nullptr, 0);
}
