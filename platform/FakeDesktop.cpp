#include "platform/FakeDesktop.h"

#include <stdint.h>
#include <string.h>

namespace {

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

FakeWindow* FindOpen(HWND window)
{
    FakeWindow* found = Find(window);
    return found && found->open ? found : nullptr;
}

// GetWindowTextA and GetClassNameA stop at the first NUL, like this copy.
int Copy(const std::string& text, char* out, int size)
{
    if (size <= 0)
        return 0;
    size_t length = strnlen(text.c_str(), size - 1);
    memcpy(out, text.data(), length);
    out[length] = '\0';
    return static_cast<int>(length);
}

}  // namespace

void FakeReset()
{
    windows.clear();
    closeLog.clear();
    errorBoxes.clear();
    titleReads = 0;
}

HWND FakeAddWindow(const std::string& title, OnClose onClose)
{
    FakeWindow window;
    window.title = title;
    window.onClose = onClose;
    window.thread = window.process = static_cast<unsigned long>(windows.size() + 1);
    windows.push_back(window);
    return reinterpret_cast<HWND>(static_cast<uintptr_t>(windows.size()));
}

FakeWindow& FakeWindowOf(HWND window)
{
    return *Find(window);
}

void FakeOnCloseRequest(HWND window, std::function<void()> action)
{
    Find(window)->onRequest = std::move(action);
}

void FakeAnswer(HWND window)
{
    FakeWindow* found = Find(window);
    if (found->answer)
        found->answer(found->unanswered);
}

void FakeShareThread(HWND window, HWND with)
{
    Find(window)->thread = Find(with)->thread;
    Find(window)->process = Find(with)->process;
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
    return FindOpen(window) != nullptr;
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
    FakeWindow* found = FindOpen(window);
    if (size > 0)
        title[0] = '\0';
    return found ? Copy(found->title, title, size) : 0;
}

int ReadClassName(HWND window, char* name, int size)
{
    FakeWindow* found = FindOpen(window);
    if (size > 0)
        name[0] = '\0';
    return found ? Copy(found->className, name, size) : 0;
}

unsigned long WindowThread(HWND window)
{
    FakeWindow* found = FindOpen(window);
    return found ? found->thread : 0;
}

unsigned long WindowProcess(HWND window)
{
    FakeWindow* found = FindOpen(window);
    return found ? found->process : 0;
}

unsigned long OwnProcess()
{
    return fakeOwnProcess;
}

HWND ShellWindow()
{
    for (size_t i = 0; i < windows.size(); ++i)
        if (windows[i].shell)
            return reinterpret_cast<HWND>(static_cast<uintptr_t>(i + 1));
    return nullptr;
}

bool WindowHung(HWND window)
{
    FakeWindow* found = FindOpen(window);
    return found && found->onClose == OnClose::Hung;
}

bool SendCloseRequest(HWND window, uintptr_t request, CloseAnswered answered)
{
    FakeWindow* found = Find(window);
    if (found->onClose == OnClose::Denied)
        return false;
    ++found->closeRequests;
    closeLog.push_back(window);
    if (found->onRequest) {
        std::function<void()> action = found->onRequest;
        action();
        found = Find(window);
    }
    if (found->onClose == OnClose::Hang) {
        found->unanswered = request;
        found->answer = answered;
        return true;
    }
    if (found->onClose == OnClose::Close)
        found->open = false;
    answered(request);
    return true;
}

CloseWait AwaitCloseAnswer(HWND window, uintptr_t request, bool (*open)(uintptr_t),
                           unsigned long wait)
{
    FakeWindow* found = Find(window);
    found->lastWait = wait;
    if (!open(request))
        return CloseWait::Answered;
    return found->open ? CloseWait::TimedOut : CloseWait::Gone;
}

bool WindowVisible(HWND window)
{
    FakeWindow* found = FindOpen(window);
    return found && found->visible;
}

bool WindowOwned(HWND window)
{
    FakeWindow* found = FindOpen(window);
    return found && found->owned;
}

unsigned long WindowExStyle(HWND window)
{
    FakeWindow* found = FindOpen(window);
    return found ? found->exStyle : 0;
}

bool WindowCloaked(HWND window)
{
    FakeWindow* found = FindOpen(window);
    return found && found->cloaked;
}

VirtualDesktop DesktopOf(HWND window)
{
    FakeWindow* found = FindOpen(window);
    return found ? found->desktop : VirtualDesktop::Unknown;
}

void ShowErrorBox(const wchar_t* caption, const wchar_t* text, const char* path)
{
    errorBoxes.push_back(ErrorBox{caption, text, path});
}
