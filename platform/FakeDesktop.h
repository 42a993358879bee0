#pragma once
// An in-memory desktop behind the window-system seam, for tests and benchmarks on the
// native build: top-level windows with titles, a log of every close request, and
// windows that close on request, refuse, never answer, or vanish in the middle of a
// sweep; each on a thread of its own unless told otherwise, and one a user can switch
// to unless told otherwise. Requests left unanswered are kept in the same table
// pyxen.exe keeps them in.
#include "platform/Window.h"

#include <functional>
#include <string>
#include <vector>

enum class OnClose {
    Close,   // the window goes away
    Refuse,  // the program keeps the window (its user said "no" to "save changes?")
    Hang,    // no answer within the wait (hung, or a question left open): the request
             // stays outstanding until FakeAnswer, or until a full table gives it up
};

struct ErrorBox {
    std::wstring caption;
    std::wstring text;
    std::string path;
};

// Forgets every window, close request and error box.
void FakeReset();

// Adds a top-level window at the end of the enumeration order.
HWND FakeAddWindow(const std::string& title, OnClose onClose = OnClose::Close);

// Runs the action inside the next close request the window receives, before the
// window itself reacts (to close other windows mid-sweep, or rename this one).
void FakeOnCloseRequest(HWND window, std::function<void()> action);

// The outstanding request of a window that did not answer is answered now; the
// window stays open.
void FakeAnswer(HWND window);

void FakeSetExemption(HWND window, WindowExemption exemption);

// Puts window on the thread of another (a program's question box beside its window).
void FakeShareThread(HWND window, HWND with);

void FakeSetUnswitchable(HWND window, Unswitchable reason);

void FakeCloseWindow(HWND window);
void FakeSetTitle(HWND window, const std::string& title);
bool FakeIsOpen(HWND window);

// Close requests received (sent, not merely tried) by one window, and by all windows in the order sent.
int FakeCloseRequests(HWND window);
const std::vector<HWND>& FakeCloseLog();

// Number of title reads since the last reset.
long FakeTitleReads();

const std::vector<ErrorBox>& FakeErrorBoxes();
