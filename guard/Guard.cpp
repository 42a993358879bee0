#include "guard/Guard.h"

#include "config/Decimal.h"

#include "guard/RestartThrottle.h"
#include "guard/UserSessions.h"

#include "desktops/DesktopReport.h"

#include <wchar.h>

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

// What a slot runs. Each session has a group of slots: its own Pyxen on Default first,
// then its desktop watch, then a Pyxen for each other desktop the watch names.
enum class SlotKind : unsigned char {
    Session,  // pyxen.exe on Default
    Watch,    // pyxen-desktops.exe
    Desktop,  // pyxen.exe on the desktop named
};

const int slotsPerSession = 2 + desktopsPerSession;

struct Guarded {
    SlotState state;
    SlotKind kind;
    bool listed;  // named by the watch's report being read
    SessionId session;
    wchar_t desktop[desktopNameSize];
    ChildId child;
    GuardTime started;
    RestartThrottle throttle;
    SwapStep swapStep;
    // Its one entry is written: retries are quiet, and the swap's entry waits no more.
    bool swapFailed;
    GuardTime swapDue;
    Successor successor;
};

Guarded guarded[guardMaxSessions * slotsPerSession];
static_assert(sessionListCapacity > guardMaxSessions, "a session beyond the limit is listed");

// The group a slot is in: its session's own slot first.
Guarded* GroupOf(Guarded& slot)
{
    return &guarded[(&slot - guarded) / slotsPerSession * slotsPerSession];
}

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

// A slot's event: a desktop's Pyxen has its own, which name the desktop; the watch
// reports only what goes wrong with it. False when there is nothing to write.
bool EventFor(const Guarded& slot, GuardEvent& event)
{
    if (slot.kind == SlotKind::Session)
        return true;
    if (slot.kind == SlotKind::Watch) {
        if (event == GuardEvent::PyxenStartFailed)
            event = GuardEvent::WatchStartFailed;
        else if (event == GuardEvent::PyxenHeldBack)
            event = GuardEvent::WatchHeldBack;
        else
            return false;
        return true;
    }
    switch (event) {
    case GuardEvent::PyxenStarted: event = GuardEvent::DesktopPyxenStarted; break;
    case GuardEvent::PyxenRestarted: event = GuardEvent::DesktopPyxenRestarted; break;
    case GuardEvent::PyxenHeldBack: event = GuardEvent::DesktopPyxenHeldBack; break;
    case GuardEvent::PyxenStartFailed: event = GuardEvent::DesktopPyxenStartFailed; break;
    case GuardEvent::SwapFailed: event = GuardEvent::DesktopSwapFailed; break;
    default: break;
    }
    return true;
}

// The entry of a slot's event: a desktop's name comes after the session and user.
void Report(GuardEvent event, const Guarded& slot, const wchar_t* extra1 = nullptr,
            const wchar_t* extra2 = nullptr)
{
    if (!EventFor(slot, event))
        return;
    if (slot.kind != SlotKind::Desktop) {
        Report(event, slot.session, extra1, extra2);
        return;
    }
    wchar_t number[decimalSize];
    wchar_t user[128];
    WriteDecimal(slot.session, number);
    SessionUserName(slot.session, user, 128);
    const wchar_t* strings[] = {number, user, slot.desktop, extra1, extra2};
    int count = extra2 ? 5 : extra1 ? 4 : 3;
    ReportGuardEvent(event, strings, count);
}

Guarded* Find(SessionId session)
{
    for (int at = 0; at < guardMaxSessions * slotsPerSession; at += slotsPerSession)
        if (guarded[at].state != SlotState::Free && guarded[at].session == session)
            return &guarded[at];
    return nullptr;
}

Guarded* FindFree()
{
    for (int at = 0; at < guardMaxSessions * slotsPerSession; at += slotsPerSession)
        if (guarded[at].state == SlotState::Free)
            return &guarded[at];
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
        for (int i = 0; i < slotsPerSession; ++i)
            slot[i] = Guarded{};
        slot[0].state = SlotState::Idle;
        slot[0].session = session;
        slot[1].state = SlotState::Idle;
        slot[1].kind = SlotKind::Watch;
        slot[1].session = session;
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

// Ends every child of the slot's session and frees its group.
void ForgetSession(Guarded& slot)
{
    Guarded* group = GroupOf(slot);
    for (int i = 0; i < slotsPerSession; ++i)
        Forget(group[i]);
}

// Whether the open swap's entry waits for the slot.
bool Awaited(const Guarded& slot)
{
    return slot.swapStep != SwapStep::None && !slot.swapFailed;
}

// The slot's part in the swap is over: its successor took over, or it needs none.
void LeaveSwap(Guarded& slot, bool took)
{
    if (took && Awaited(slot) && slot.kind == SlotKind::Session)
        ++swap.took;
    slot.swapStep = SwapStep::None;
    slot.swapFailed = false;
}

ChildId StartChild(const Guarded& slot, unsigned long& error)
{
    if (slot.kind == SlotKind::Watch)
        return StartDesktopWatch(slot.session, error);
    if (slot.kind == SlotKind::Desktop)
        return StartPyxenOn(slot.session, slot.desktop, error);
    return StartPyxen(slot.session, error);
}

// Starts the slot's Pyxen; a failed start holds the session back as the throttle says,
// and the first of a row is reported.
bool Start(Guarded& slot)
{
    unsigned long error = 0;
    slot.child = StartChild(slot, error);
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
        Report(GuardEvent::PyxenStartFailed, slot, code);
    }
    return false;
}

// The slot's Pyxen has ended and been let go.
void Ended(Guarded& slot, unsigned long status, GuardTime now)
{
    if (!SessionHasUser(slot.session)) {
        ForgetSession(slot);
        return;
    }
    wchar_t code[decimalSize];
    WriteDecimal(status, code);
    if (slot.throttle.HoldAfterEnd(slot.started, now)) {
        slot.state = SlotState::HeldBack;
        wchar_t seconds[decimalSize];
        WriteDecimal(slot.throttle.Pause() / 1000, seconds);
        Report(GuardEvent::PyxenHeldBack, slot, code, seconds);
        return;
    }
    if (Start(slot))
        Report(GuardEvent::PyxenRestarted, slot, code);
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
        Report(event, slot, text, event == GuardEvent::SwapFailed ? seconds : nullptr);
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
    ChildId successor = StartChild(slot, error);
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

// Starts what an idle slot runs.
void StartIdle(Guarded& slot)
{
    if (slot.state == SlotState::Idle && Start(slot))
        Report(GuardEvent::PyxenStarted, slot);
}

void StartIn(SessionId session)
{
    if (!enforcing)
        return;
    Guarded* group = Add(session);
    if (!group)
        return;
    StartIdle(group[0]);
    StartIdle(group[1]);
}

Guarded* DesktopSlot(Guarded* group, const wchar_t* desktop)
{
    for (int i = 2; i < slotsPerSession; ++i)
        if (group[i].state != SlotState::Free && wcscmp(group[i].desktop, desktop) == 0)
            return &group[i];
    for (int i = 2; i < slotsPerSession; ++i) {
        Guarded& slot = group[i];
        if (slot.state == SlotState::Free) {
            slot = Guarded{};
            slot.state = SlotState::Idle;
            slot.kind = SlotKind::Desktop;
            slot.session = group[0].session;
            wcsncpy(slot.desktop, desktop, desktopNameSize - 1);
            return &slot;
        }
    }
    return nullptr;
}

// A whole report of the session's watch: each desktop it names has a Pyxen, and one it
// no longer names has gone, or is out of use, and its Pyxen ends.
void TakeReport(Guarded* group, const char* report, int length)
{
    for (int i = 2; i < slotsPerSession; ++i)
        group[i].listed = false;
    const char* at = report;
    const char* end = report + length;
    static DesktopLine line;
    bool whole = false;
    while (at < end && !whole) {
        if (!ReadDesktopLine(at, end, line))
            continue;
        if (line.kind == DesktopLineKind::End) {
            whole = true;
        } else if (line.kind == DesktopLineKind::Desktop) {
            if (Guarded* slot = DesktopSlot(group, line.name)) {
                slot->listed = true;
                StartIdle(*slot);
            }
        } else {
            Guarded named = Guarded{};
            named.kind = SlotKind::Desktop;
            named.session = group[0].session;
            wcsncpy(named.desktop, line.name, desktopNameSize - 1);
            Report(line.kind == DesktopLineKind::Shut ? GuardEvent::DesktopRefused
                                                      : GuardEvent::InputSwitchedBack,
                   named);
        }
    }
    if (!whole)
        return;
    for (int i = 2; i < slotsPerSession; ++i)
        if (group[i].state != SlotState::Free && !group[i].listed)
            Forget(group[i]);
}

// Every report the session's watch has written since the last pass.
void ReadReports(Guarded& watch)
{
    static char report[desktopReportSize];
    if (watch.state != SlotState::Running)
        return;
    for (int length; (length = ReadDesktopReport(watch.child, report, desktopReportSize)) > 0;)
        TakeReport(GroupOf(watch), report, length);
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
    // A new logon is a new user: what the last one's Pyxens did says nothing about it.
    if (Guarded* group = Find(session)) {
        for (int i = 0; i < slotsPerSession; ++i) {
            if (group[i].state == SlotState::HeldBack) {
                group[i].throttle.Reset();
                group[i].state = SlotState::Idle;
            }
        }
        for (int i = 2; i < slotsPerSession; ++i)
            StartIdle(group[i]);
    }
    if (SessionHasUser(session))
        StartIn(session);
}

void GuardLogoff(SessionId session)
{
    if (Guarded* slot = Find(session))
        ForgetSession(*slot);
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
        if (slot.state == SlotState::Free || slot.kind != SlotKind::Session || !whole)
            continue;
        bool listed = false;
        for (int i = 0; i < count && !listed; ++i)
            listed = sessions[i] == slot.session;
        if (!listed)
            ForgetSession(slot);
    }
    for (int i = 0; i < count; ++i)
        StartIn(sessions[i]);
}

void GuardPoll()
{
    GuardTime now = GuardNow();
    for (Guarded& slot : guarded)
        if (slot.kind == SlotKind::Watch)
            ReadReports(slot);
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
                ForgetSession(slot);
            else if (Start(slot))
                Report(GuardEvent::PyxenStarted, slot);
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
        // The watch reads no settings.
        if (slot.state == SlotState::Free || slot.kind == SlotKind::Watch)
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
                Report(GuardEvent::PyxenStarted, slot);
                swap.took += slot.kind == SlotKind::Session;
            }
        }
    }
}

void GuardStop()
{
    for (int at = 0; at < guardMaxSessions * slotsPerSession; at += slotsPerSession) {
        bool ending = false;
        for (int i = at; i < at + slotsPerSession; ++i)
            ending = ending || guarded[i].state == SlotState::Running ||
                     guarded[i].swapStep == SwapStep::Successor;
        if (guarded[at].state != SlotState::Free)
            ForgetSession(guarded[at]);
        if (ending)
            ReportStopping();
    }
    swap.open = false;
    ReportGuardEvent(GuardEvent::GuardStopped, nullptr, 0);
}
