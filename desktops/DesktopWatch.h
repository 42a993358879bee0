#pragma once
// What pyxen-desktops.exe makes of a look at its session's window station: which desktops
// get a Pyxen, which ones no Pyxen can run on, and whether the input goes back to
// Default. The program gathers the facts on Windows (desktops/win32) and writes the
// report this gives to the guard; the decisions are here, tested natively.
#include "desktops/DesktopLimits.h"

// A top-level window on a desktop: its process, whether its class is Pyxen's host window
// class, and whether its process runs under the watch's own account (SYSTEM, as every
// Pyxen of the guard does, and no user's program can).
struct DesktopWindow {
    unsigned long process;
    bool hostClass;
    bool sameAccount;
};

// A desktop is in use while a program other than a Pyxen has a window on it. A Pyxen
// alone keeps a desktop from going (a desktop lives while a process is on it), so a
// desktop its maker left, or one with nothing on it yet, has nothing to close and gets
// none; the first window of a program there brings one. A Pyxen is told by both its
// class and its account: a user can name a class "Pyxen", not run a program as SYSTEM.
bool DesktopInUse(const DesktopWindow* windows, int count);

struct DesktopFacts {
    wchar_t name[desktopNameSize];
    bool nameFits;     // the name is whole in name
    bool opened;       // the watch could open it to read it: its access list lets SYSTEM in
    bool systemOwned;  // its owner is SYSTEM: Windows made it (Winlogon, Disconnect, ...)
    bool inUse;        // DesktopInUse of its windows
};

// The input desktop: named (opened, with its owner), shut (its access list keeps the
// watch out), or unknown (any other failure: nothing is done about it).
enum class InputState { Unknown, Named, Shut };

struct InputFacts {
    InputState state;
    wchar_t name[desktopNameSize];
    bool systemOwned;
};

// Desktops refused a Pyxen whose notices were written, while they exist: each is told
// once, and again only if it goes and comes back.
const int desktopNoticeCapacity = 16;

struct DesktopNotice {
    wchar_t name[desktopNameSize];
    bool switchedSaid;
    bool seen;  // listed at the latest look
};

// What the watch said before; all zero at its start.
struct DesktopWatchState {
    bool written;
    wchar_t guarded[desktopsPerSession][desktopNameSize];
    int guardedCount;
    DesktopNotice notices[desktopNoticeCapacity];
    int noticeCount;
};

// Desktops looked at in one look, Default among them; the watch lists no more.
const int desktopLookCapacity = 64;

// One look: desktops as EnumDesktops gave them (Default among them), input read before
// them. Writes the report (desktops/DesktopReport.h) into report and returns its length,
// or 0 when nothing changed since the last one; switchInput says whether the input is to
// go back to Default now.
//
// Default has the session's own Pyxen. A desktop the watch can't open is refused: an
// entry names it, and while the input is on it (OpenInputDesktop is then refused too)
// the input goes back. Of the others, SYSTEM's own and those not in use are left alone;
// the rest get a Pyxen, up to desktopsPerSession of them with a name that fits, and one
// beyond that is refused as one that can't be opened.
int LookAtDesktops(DesktopWatchState& state, const DesktopFacts* desktops, int count,
                   const InputFacts& input, char* report, int size, bool& switchInput);

// Whether the name is Default's, as Windows compares desktop names: without case.
bool IsDefaultDesktop(const wchar_t* name);
