// testwin.exe: real top-level windows with given titles for the end-to-end tests and
// the demo. Each window lives on its own thread, so one that hangs leaves the others
// answering, and every event is appended to the report file the moment it happens.
//
//   testwin.exe [--report FILE] [--refuse N]... [--hang N]... [--slow N]... [--ask N]...
//               [--hidden N]... [--tool N]... [--caption TEXT] [--exit-after MS] [--] TITLE...
//
// --slow N: window N takes 6 s to handle WM_CLOSE, pumping messages all the while as it
// would while asking its user whether to save, then closes.
// --ask N: window N answers WM_CLOSE with a modal Yes/No/Cancel box of its own, owned by
// it and captioned "Question" or the --caption TEXT (a program's name, as editors do),
// that nobody answers: the request is handled to its end only if the box is closed.
// --hidden N: window N is never shown. --tool N: window N is a tool window.
// --desktop NAME: the windows are on a desktop of that name, which testwin creates in its
// window station (or opens, if it exists) and holds until it ends, as a desktop-switching
// program does; "desktop NAME" is reported once it exists.
//
// Report lines: "ready" once every window exists, "close N TITLE" for each WM_CLOSE
// window N receives, "ask N" once its question is up, "answered N" once it is closed,
// "gone N" when window N is destroyed. Exit status 0 once every window is gone or when
// --exit-after (default 60000 ms) runs out; 2 for a bad command.
#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

const char windowClass[] = "PyxenTestWindow";
const int maxWindows = 1000;
const DWORD slowClose = 6000;

struct TestWindow {
    int index;
    const char* title;
    bool refuse;
    bool hang;
    bool slow;
    bool ask;
    bool hidden;
    bool tool;
    HANDLE created;  // set once the window exists (or failed to)
    HWND window;
};

TestWindow windows[maxWindows];
int windowCount;
HANDLE report = INVALID_HANDLE_VALUE;
CRITICAL_SECTION reportLock;
LONG openWindows;
HANDLE allGone;
const char* questionCaption = "Question";
HDESK desktop;

// One WriteFile per line on a handle opened for appending: the line reaches the file
// whole and at once, so a script polling the file never sees half of it.
void Report(const char* format, int index, const char* title)
{
    if (report == INVALID_HANDLE_VALUE)
        return;
    char line[600];
    int length = title ? snprintf(line, sizeof line, format, index, title)
                       : snprintf(line, sizeof line, format, index);
    if (length < 0)
        return;
    if (length >= (int)sizeof line)
        length = (int)sizeof line - 1;
    EnterCriticalSection(&reportLock);
    DWORD written;
    WriteFile(report, line, (DWORD)length, &written, NULL);
    LeaveCriticalSection(&reportLock);
}

// Handles every message that comes, sent or posted, until the time is up, as a modal
// dialog's loop would; a second WM_CLOSE sent meanwhile is handled (and reported) too.
void PumpFor(DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        DWORD spent = GetTickCount() - start;
        if (spent >= milliseconds)
            return;
        MsgWaitForMultipleObjects(0, NULL, FALSE, milliseconds - spent, QS_ALLINPUT);
        MSG message;
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE)) {
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
    }
}

LRESULT CALLBACK TestWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_NCCREATE) {
        CREATESTRUCTA* create = reinterpret_cast<CREATESTRUCTA*>(lParam);
        SetWindowLongPtrA(window, GWLP_USERDATA,
                          reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    TestWindow* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrA(window, GWLP_USERDATA));
    if (!self)
        return DefWindowProcA(window, message, wParam, lParam);
    switch (message) {
    case WM_CLOSE:
        Report("close %d %s\n", self->index, self->title);
        if (self->hang) {
            // The sender is left waiting on a thread that never pumps again.
            for (;;)
                Sleep(INFINITE);
        }
        if (self->slow)
            PumpFor(slowClose);
        if (self->ask) {
            Report("ask %d\n", self->index, NULL);
            MessageBoxA(window, "Save changes?", questionCaption, MB_YESNOCANCEL);
            Report("answered %d\n", self->index, NULL);
        }
        if (!self->refuse)
            DestroyWindow(window);
        return 0;
    case WM_DESTROY:
        Report("gone %d\n", self->index, NULL);
        if (InterlockedDecrement(&openWindows) == 0)
            SetEvent(allGone);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

DWORD WINAPI WindowThread(LPVOID parameter)
{
    TestWindow* self = static_cast<TestWindow*>(parameter);
    // Cascaded so that every window is on screen and none hides all the others.
    int offset = (self->index % 20) * 24;
    // A thread takes another desktop only before it has a window.
    if (desktop && !SetThreadDesktop(desktop)) {
        SetEvent(self->created);
        return 1;
    }
    self->window = CreateWindowExA(self->tool ? WS_EX_TOOLWINDOW : 0, windowClass, self->title,
                                   WS_OVERLAPPEDWINDOW | (self->hidden ? 0 : WS_VISIBLE),
                                   offset, offset, 320, 120, NULL, NULL,
                                   GetModuleHandleA(NULL), self);
    SetEvent(self->created);
    if (!self->window)
        return 1;
    // The thread keeps pumping after its window is gone, until the process ends: the
    // platform's own hidden windows of this thread (an IME window under Wine) stay
    // answerable, and a Differs rule's WM_CLOSE to one never meets a thread halfway
    // through its exit.
    MSG message;
    while (GetMessageA(&message, NULL, 0, 0) > 0) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
    return 0;
}

int Usage(const char* problem)
{
    fprintf(stderr, "testwin: %s\n"
            "usage: testwin.exe [--report FILE] [--refuse N]... [--hang N]... "
            "[--slow N]... [--ask N]... [--hidden N]... [--tool N]... [--caption TEXT] "
            "[--desktop NAME] [--exit-after MS] [--] TITLE...\n", problem);
    return 2;
}

bool ParseCount(const char* text, long* value)
{
    if (!text || !*text)
        return false;
    char* end;
    *value = strtol(text, &end, 10);
    return *end == '\0' && *value >= 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const char* reportPath = NULL;
    long exitAfter = 60000;
    // Window numbers given to --refuse, --hang, --slow, --ask, --hidden and --tool.
    const char* const markOptions[] = {"--refuse", "--hang", "--slow", "--ask", "--hidden",
                                       "--tool"};
    const int markKinds = 6;
    static long marks[markKinds][maxWindows];
    int markCount[markKinds] = {};

    int arg = 1;
    for (; arg < argc; ++arg) {
        const char* option = argv[arg];
        if (strcmp(option, "--") == 0) {
            ++arg;
            break;
        }
        if (strncmp(option, "--", 2) != 0)
            break;
        const char* value = arg + 1 < argc ? argv[arg + 1] : NULL;
        if (!value)
            return Usage("an option lacks its value");
        ++arg;
        long number;
        if (strcmp(option, "--report") == 0) {
            reportPath = value;
        } else if (strcmp(option, "--desktop") == 0) {
            desktop = CreateDesktopA(value, NULL, NULL, 0, GENERIC_ALL, NULL);
            if (!desktop)
                return Usage("cannot create the desktop");
        } else if (strcmp(option, "--caption") == 0) {
            questionCaption = value;
        } else if (strcmp(option, "--exit-after") == 0) {
            if (!ParseCount(value, &exitAfter))
                return Usage("--exit-after needs a number of milliseconds");
        } else {
            int kind = 0;
            while (kind < markKinds && strcmp(option, markOptions[kind]) != 0)
                ++kind;
            if (kind == markKinds)
                return Usage("unknown option");
            if (!ParseCount(value, &number) || markCount[kind] == maxWindows)
                return Usage("a window option needs a window number");
            marks[kind][markCount[kind]++] = number;
        }
    }
    windowCount = argc - arg;
    if (windowCount <= 0)
        return Usage("no window title given");
    if (windowCount > maxWindows)
        return Usage("too many windows");
    for (int kind = 0; kind < markKinds; ++kind)
        for (int i = 0; i < markCount[kind]; ++i)
            if (marks[kind][i] >= windowCount)
                return Usage("a window option names a window that does not exist");

    if (reportPath) {
        report = CreateFileA(reportPath, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                             NULL, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, NULL);
        if (report == INVALID_HANDLE_VALUE)
            return Usage("cannot open the report file");
    }
    InitializeCriticalSection(&reportLock);
    if (desktop) {
        char name[300];
        DWORD needed = 0;
        GetUserObjectInformationA(desktop, UOI_NAME, name, sizeof name, &needed);
        Report("desktop%.0d %s\n", 0, name);  // no number: the index is 0, printed as none
    }
    allGone = CreateEventA(NULL, TRUE, FALSE, NULL);
    openWindows = windowCount;

    WNDCLASSA testClass = {};
    testClass.lpfnWndProc = TestWndProc;
    testClass.hInstance = GetModuleHandleA(NULL);
    testClass.hCursor = LoadCursorA(NULL, IDC_ARROW);
    testClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    testClass.lpszClassName = windowClass;
    RegisterClassA(&testClass);

    for (int i = 0; i < windowCount; ++i) {
        TestWindow& w = windows[i];
        w.index = i;
        w.title = argv[arg + i];
        bool* flags[markKinds] = {&w.refuse, &w.hang, &w.slow, &w.ask, &w.hidden, &w.tool};
        for (int kind = 0; kind < markKinds; ++kind)
            for (int k = 0; k < markCount[kind]; ++k)
                *flags[kind] = *flags[kind] || marks[kind][k] == i;
        w.created = CreateEventA(NULL, TRUE, FALSE, NULL);
        // Small stacks: a benchmark may ask for hundreds of windows.
        HANDLE thread = CreateThread(NULL, 64 * 1024, WindowThread, &w,
                                     STACK_SIZE_PARAM_IS_A_RESERVATION, NULL);
        if (!thread) {
            fprintf(stderr, "testwin: cannot start the thread of window %d\n", i);
            ExitProcess(2);
        }
        CloseHandle(thread);
        // One window at a time: 32-bit Wine now and then corrupts its heap when dozens
        // of threads create their windows at once.
        WaitForSingleObject(w.created, INFINITE);
        if (!w.window) {
            fprintf(stderr, "testwin: cannot create window %d\n", i);
            ExitProcess(2);
        }
    }
    Report("ready\n", 0, NULL);

    WaitForSingleObject(allGone, static_cast<DWORD>(exitAfter));
    // A hung window's thread never returns: end the process around it.
    ExitProcess(0);
}
