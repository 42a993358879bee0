#include "desktops/DesktopWatch.h"

#include "desktops/DesktopReport.h"

#include <wchar.h>

namespace {

enum class Verdict { LeftAlone, Guarded, Refused };

bool Same(const wchar_t* a, const wchar_t* b)
{
    return wcscmp(a, b) == 0;
}

void Copy(wchar_t* to, const wchar_t* from)
{
    int i = 0;
    for (; from[i] && i + 1 < desktopNameSize; ++i)
        to[i] = from[i];
    to[i] = L'\0';
}

DesktopNotice* FindNotice(DesktopWatchState& state, const wchar_t* name)
{
    for (int i = 0; i < state.noticeCount; ++i)
        if (Same(state.notices[i].name, name))
            return &state.notices[i];
    return nullptr;
}

}  // namespace

bool IsDefaultDesktop(const wchar_t* name)
{
    const char defaultName[] = "default";
    int i = 0;
    for (; defaultName[i]; ++i) {
        wchar_t c = name[i];
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
        if (c != static_cast<wchar_t>(defaultName[i]))
            return false;
    }
    return name[i] == L'\0';
}

bool DesktopInUse(const DesktopWindow* windows, int count)
{
    for (int i = 0; i < count; ++i) {
        bool pyxen = false;
        for (int j = 0; j < count && !pyxen; ++j)
            pyxen = windows[j].process == windows[i].process && windows[j].hostClass &&
                    windows[j].sameAccount;
        if (!pyxen)
            return true;
    }
    return false;
}

int LookAtDesktops(DesktopWatchState& state, const DesktopFacts* desktops, int count,
                   const InputFacts& input, char* report, int size, bool& switchInput)
{
    Verdict verdicts[desktopLookCapacity];
    if (count > desktopLookCapacity)
        count = desktopLookCapacity;
    wchar_t guarded[desktopsPerSession][desktopNameSize];
    int guardedCount = 0;
    for (int i = 0; i < count; ++i) {
        const DesktopFacts& desktop = desktops[i];
        Verdict verdict = Verdict::LeftAlone;
        if (IsDefaultDesktop(desktop.name))
            verdict = Verdict::LeftAlone;
        else if (!desktop.opened)
            verdict = Verdict::Refused;
        else if (desktop.systemOwned || !desktop.inUse)
            verdict = Verdict::LeftAlone;
        else if (!desktop.nameFits || guardedCount == desktopsPerSession)
            verdict = Verdict::Refused;
        else
            verdict = Verdict::Guarded;
        if (verdict == Verdict::Guarded)
            Copy(guarded[guardedCount++], desktop.name);
        verdicts[i] = verdict;
    }

    // The input goes back from a refused desktop, and from one that shuts the watch out
    // when a listed one does: the system's own desktops let SYSTEM in.
    const wchar_t* switchedFrom = nullptr;
    for (int i = 0; i < count && !switchedFrom; ++i) {
        if (verdicts[i] != Verdict::Refused)
            continue;
        bool named = input.state == InputState::Named && Same(input.name, desktops[i].name);
        bool shut = input.state == InputState::Shut && !desktops[i].opened;
        if (named || shut)
            switchedFrom = desktops[i].name;
    }
    switchInput = switchedFrom != nullptr;

    // Notices of desktops that went are forgotten; a refused one is told once.
    for (int i = 0; i < state.noticeCount; ++i)
        state.notices[i].seen = false;
    int length = 0;
    bool told = false;
    for (int i = 0; i < count; ++i) {
        if (verdicts[i] != Verdict::Refused)
            continue;
        DesktopNotice* notice = FindNotice(state, desktops[i].name);
        if (!notice && state.noticeCount < desktopNoticeCapacity) {
            notice = &state.notices[state.noticeCount++];
            *notice = DesktopNotice{};
            Copy(notice->name, desktops[i].name);
            told = AppendDesktopLine(report, length, size, DesktopLineKind::Shut, notice->name) || told;
        }
        if (notice)
            notice->seen = true;
    }
    if (switchedFrom) {
        DesktopNotice* notice = FindNotice(state, switchedFrom);
        if (notice && !notice->switchedSaid) {
            notice->switchedSaid = true;
            told = AppendDesktopLine(report, length, size, DesktopLineKind::Switched, notice->name) || told;
        }
    }
    int kept = 0;
    for (int i = 0; i < state.noticeCount; ++i)
        if (state.notices[i].seen)
            state.notices[kept++] = state.notices[i];
    state.noticeCount = kept;

    bool changed = !state.written || guardedCount != state.guardedCount;
    for (int i = 0; i < guardedCount && !changed; ++i)
        changed = !Same(guarded[i], state.guarded[i]);
    if (!changed && !told)
        return 0;
    for (int i = 0; i < guardedCount; ++i)
        AppendDesktopLine(report, length, size, DesktopLineKind::Desktop, guarded[i]);
    AppendDesktopLine(report, length, size, DesktopLineKind::End, nullptr);
    state.written = true;
    state.guardedCount = guardedCount;
    for (int i = 0; i < guardedCount; ++i)
        Copy(state.guarded[i], guarded[i]);
    return length;
}
