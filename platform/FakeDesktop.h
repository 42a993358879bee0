#pragma once
// An in-memory desktop behind the window-system seam, for tests and benchmarks on the
// native build: top-level windows with titles and the facts the system tells of them,
// a log of every close request, and windows that close on request, refuse, never
// answer, or vanish in the middle of a sweep; each on a thread and in a program of its
// own unless told otherwise. It keeps no rule of its own: what the facts mean is
// decided in rules/, as for pyxen.exe.
#include "platform/Window.h"

#include <functional>
#include <string>
#include <vector>

enum class OnClose {
    Close,   // the window goes away
    Refuse,  // the program keeps the window (its user said "no" to "save changes?")
    Hang,    // no answer within the wait (a question left open): the request stays
             // outstanding until FakeAnswer
    Hung,    // Windows already calls the program not responding
    Denied,  // runs with higher rights: Windows blocks the message
};

const unsigned long fakeOwnProcess = 0x7FFFFFFF;

struct FakeWindow {
    std::string title;
    OnClose onClose = OnClose::Close;
    bool open = true;
    unsigned long thread = 0;
    unsigned long process = 0;  // fakeOwnProcess for one of the caller's own
    std::string className;
    bool shell = false;  // the desktop window
    bool visible = true;
    bool owned = false;
    unsigned long exStyle = 0;
    bool cloaked = false;
    VirtualDesktop desktop = VirtualDesktop::Unknown;
    // Runs inside the next close request the window receives, before the window itself
    // reacts (to close other windows mid-sweep, or rename this one).
    std::function<void()> onRequest;

    // Recorded: close requests received (sent, not merely tried), the wait the last one
    // was given, and the one left unanswered with its callback.
    int closeRequests = 0;
    unsigned long lastWait = 0;
    uintptr_t unanswered = 0;
    CloseAnswered answer = nullptr;
};

struct ErrorBox {
    std::wstring caption;
    std::wstring text;
    std::string path;
};

// Forgets every window, close request and error box.
void FakeReset();

// Adds a top-level window at the end of the enumeration order: visible, unowned, of
// no particular class, on a thread and in a program of its own.
HWND FakeAddWindow(const std::string& title, OnClose onClose = OnClose::Close);

// The window's facts, to set; its record, to read.
FakeWindow& FakeWindowOf(HWND window);

void FakeOnCloseRequest(HWND window, std::function<void()> action);

// The outstanding request of a window that did not answer is answered now; the
// window stays open.
void FakeAnswer(HWND window);

// Puts window on the thread, and in the program, of another (a program's question box
// beside its window).
void FakeShareThread(HWND window, HWND with);

void FakeCloseWindow(HWND window);
void FakeSetTitle(HWND window, const std::string& title);
bool FakeIsOpen(HWND window);

// Close requests received by one window, and by all windows in the order sent.
int FakeCloseRequests(HWND window);
const std::vector<HWND>& FakeCloseLog();

// Number of title reads since the last reset.
long FakeTitleReads();

const std::vector<ErrorBox>& FakeErrorBoxes();
