#include "platform/FakeDesktop.h"

#include "platform/PendingCloses.h"

#include <stdint.h>
#include <string.h>

namespace {

struct FakeWindow {
    std::string title;
    OnClose onClose;
    bool open;
    int closeRequests;
    std::function<void()> onRequest;
    WindowExemption exemption;
    uintptr_t unanswered;
    unsigned long thread;
    Unswitchable unswitchable;
};

std::vector<FakeWindow> windows;
std::vector<HWND> closeLog;
std::vector<ErrorBox> errorBoxes;
long titleReads;

FakeWindow* Find(HWND window)
{
    uintptr_t index = reinterpret_cast<uintptr_t>(window);
    if (index == 0 || index > windows.size())
        return nullptr;
    return &windows[index - 1];
}

unsigned long Owner(HWND window)
{
    FakeWindow* found = Find(window);
    return found && found->open ? found->thread : 0;
}

}  // namespace

void FakeReset()
{
    windows.clear();
    closeLog.clear();
    errorBoxes.clear();
    titleReads = 0;
    ResetCloseRequests();
}

HWND FakeAddWindow(const std::string& title, OnClose onClose)
{
    // Each window on a thread of its own until FakeShareThread says otherwise.
    unsigned long thread = static_cast<unsigned long>(windows.size() + 1);
    windows.push_back(FakeWindow{title, onClose, true, 0, nullptr, WindowExemption::None, 0,
                                 thread, Unswitchable::No});
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(windows.size()));
}

void FakeOnCloseRequest(HWND window, std::function<void()> action)
{
    Find(window)->onRequest = std::move(action);
}

void FakeAnswer(HWND window)
{
    EndCloseRequest(Find(window)->unanswered);
}

void FakeSetExemption(HWND window, WindowExemption exemption)
{
    Find(window)->exemption = exemption;
}

void FakeShareThread(HWND window, HWND with)
{
    Find(window)->thread = Find(with)->thread;
}

void FakeSetUnswitchable(HWND window, Unswitchable reason)
{
    Find(window)->unswitchable = reason;
}

void FakeCloseWindow(HWND window)
{
    Find(window)->open = false;
}

void FakeSetTitle(HWND window, const std::string& title)
{
    Find(window)->title = title;
}

bool FakeIsOpen(HWND window)
{
    FakeWindow* found = Find(window);
    return found && found->open;
}

int FakeCloseRequests(HWND window)
{
    return Find(window)->closeRequests;
}

const std::vector<HWND>& FakeCloseLog()
{
    return closeLog;
}

long FakeTitleReads()
{
    return titleReads;
}

const std::vector<ErrorBox>& FakeErrorBoxes()
{
    return errorBoxes;
}

// The seam itself.

void EnumTopWindows(WNDENUMPROC proc)
{
    // Like the platform, enumerate the windows that exist when the call starts; one
    // closed by then is skipped, one added during the sweep waits for the next.
    size_t count = windows.size();
    for (size_t i = 0; i < count; ++i) {
        if (!windows[i].open)
            continue;
        if (!proc(reinterpret_cast<HWND>(static_cast<uintptr_t>(i + 1)), 0))
            break;
    }
}

int ReadWindowTitle(HWND window, char* title, int size)
{
    ++titleReads;
    FakeWindow* found = Find(window);
    if (!found || !found->open || size <= 0) {
        if (size > 0)
            title[0] = '\0';
        return 0;
    }
    // GetWindowTextA stops at the first NUL of the caption, like this copy.
    size_t length = strnlen(found->title.c_str(), size - 1);
    memcpy(title, found->title.data(), length);
    title[length] = '\0';
    return static_cast<int>(length);
}

bool RequestClose(HWND window)
{
    uintptr_t request = OpenCloseRequest(window, Owner);
    if (!request)
        return false;  // gone, or its thread still handles a request
    FakeWindow* found = Find(window);
    ++found->closeRequests;
    closeLog.push_back(window);
    if (found->onRequest) {
        std::function<void()> action = found->onRequest;
        action();
        found = Find(window);
    }
    if (found->onClose == OnClose::Hang) {
        found->unanswered = request;
        return false;
    }
    EndCloseRequest(request);
    if (found->onClose == OnClose::Close)
        found->open = false;
    return true;
}

WindowExemption ExemptionOf(HWND window)
{
    FakeWindow* found = Find(window);
    return found ? found->exemption : WindowExemption::None;
}

Unswitchable WhyUnswitchable(HWND window)
{
    FakeWindow* found = Find(window);
    return found ? found->unswitchable : Unswitchable::No;
}

void ShowErrorBox(const wchar_t* caption, const wchar_t* text, const char* path)
{
    errorBoxes.push_back(ErrorBox{caption, text, path});
}
