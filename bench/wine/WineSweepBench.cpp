// The sweep against its floor on real top-level windows. The program starts a copy of
// itself that creates the windows on its own thread and pumps their messages, so every
// title read is a cross-process call as it is for pyxen.exe; then it times, in turns,
// the floor (EnumWindows reading each title once with GetWindowTextA), one real Sweep()
// over 250 rules that match none of the titles, and those rules held against titles
// read beforehand (the comparisons alone), and prints the medians.
//
//   pyxen-sweep-bench.exe [WINDOWS [REPETITIONS]]     default 300 and 20
//
// Exit status 0 when the figures were measured; what they are never fails it.
#include "bench/native/BenchDesktop.h"
#include "rules/Sweep.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

const char* const windowClass = "PyxenBenchWindow";
const UINT childLifetime = 180000;  // the child ends itself if its parent never does

LRESULT CALLBACK ChildWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int RunChild(int count, const char* readyEvent)
{
    WNDCLASSA windowClassInfo = {};
    windowClassInfo.lpfnWndProc = ChildWndProc;
    windowClassInfo.hInstance = GetModuleHandleA(nullptr);
    windowClassInfo.lpszClassName = windowClass;
    if (!RegisterClassA(&windowClassInfo))
        return 2;
    HWND first = nullptr;
    for (int i = 0; i < count; ++i) {
        std::string title = bench::WindowTitleFor(i);
        HWND window = CreateWindowExA(0, windowClass, title.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                                      (i * 7) % 600, (i * 5) % 400, 200, 120, nullptr, nullptr,
                                      windowClassInfo.hInstance, nullptr);
        if (!window)
            return 3;
        if (!first)
            first = window;
    }
    SetTimer(first, 1, childLifetime, nullptr);
    HANDLE ready = OpenEventA(EVENT_MODIFY_STATE, FALSE, readyEvent);
    if (!ready)
        return 4;
    SetEvent(ready);
    CloseHandle(ready);
    MSG message;
    while (GetMessageA(&message, nullptr, 0, 0) > 0)
        DispatchMessageA(&message);
    return 0;
}

// --- parent ---------------------------------------------------------------------------

struct Census {
    DWORD childProcess;
    int windows;
    int childWindows;
    int titled;
    int matched;
};

BOOL CALLBACK CensusEnumProc(HWND window, LPARAM parameter)
{
    Census& census = *reinterpret_cast<Census*>(parameter);
    ++census.windows;
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char className[64];
    // The child also owns helper windows of the platform's (an input-method window, for one).
    if (process == census.childProcess && GetClassNameA(window, className, sizeof className) &&
        std::strcmp(className, windowClass) == 0)
        ++census.childWindows;
    WindowTitle title;
    ReadTitle(window, title);
    if (title.length > 0) {
        ++census.titled;
        if (bench::AnyRuleMatches(title)) {
            ++census.matched;
            std::printf("a rule matches the window titled \"%s\"\n", title.text);
        }
    }
    return TRUE;
}

Census TakeCensus(DWORD childProcess)
{
    Census census = {childProcess, 0, 0, 0, 0};
    EnumWindows(CensusEnumProc, reinterpret_cast<LPARAM>(&census));
    return census;
}

long floorBytes;

// The titles as the sweep sees them, for timing the comparisons without the reads.
std::vector<WindowTitle> desktopTitles;

BOOL CALLBACK CollectEnumProc(HWND window, LPARAM)
{
    WindowTitle title;
    ReadTitle(window, title);
    desktopTitles.push_back(title);
    return TRUE;
}

int CompareAll()
{
    int matches = 0;
    for (const WindowTitle& title : desktopTitles)
        for (int i = 0; i <= lastRule && title.length > 0; ++i)
            matches += rules[i].Matches(title);
    return matches;
}

BOOL CALLBACK FloorEnumProc(HWND window, LPARAM)
{
    char title[titleSize];
    int length = GetWindowTextA(window, title, titleSize);
    if (length > 0)
        floorBytes += length + static_cast<unsigned char>(title[0]);
    return TRUE;
}

double Seconds(LARGE_INTEGER start, LARGE_INTEGER end, LARGE_INTEGER frequency)
{
    return static_cast<double>(end.QuadPart - start.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

struct Child {
    PROCESS_INFORMATION process;
    bool started;
};

void EndChild(Child& child)
{
    if (!child.started)
        return;
    TerminateProcess(child.process.hProcess, 0);
    WaitForSingleObject(child.process.hProcess, 10000);
    CloseHandle(child.process.hThread);
    CloseHandle(child.process.hProcess);
    child.started = false;
}

int RunParent(int count, int repetitions)
{
    char eventName[64];
    std::snprintf(eventName, sizeof eventName, "PyxenSweepBenchReady-%lu", GetCurrentProcessId());
    HANDLE ready = CreateEventA(nullptr, TRUE, FALSE, eventName);
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    char commandLine[2 * MAX_PATH];
    std::snprintf(commandLine, sizeof commandLine, "\"%s\" --child %d %s", self, count, eventName);

    Child child = {};
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessA(nullptr, commandLine, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &child.process)) {
        std::printf("could not start the window process (error %lu)\n", GetLastError());
        return 1;
    }
    child.started = true;
    HANDLE waits[2] = {ready, child.process.hProcess};
    DWORD woke = WaitForMultipleObjects(2, waits, FALSE, 120000);
    CloseHandle(ready);
    if (woke != WAIT_OBJECT_0) {
        DWORD status = 0;
        GetExitCodeProcess(child.process.hProcess, &status);
        std::printf("the window process did not get ready (wait %lu, status %lu)\n", woke, status);
        EndChild(child);
        return 1;
    }

    bench::LoadBenchRules();
    Census before = TakeCensus(child.process.dwProcessId);
    if (before.childWindows != count || before.matched != 0) {
        std::printf("unexpected desktop: %d of %d windows, %d matching\n", before.childWindows, count,
                    before.matched);
        EndChild(child);
        return 1;
    }

    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    EnumWindows(CollectEnumProc, 0);
    std::vector<double> floorTimes, sweepTimes, compareTimes;
    for (int i = -1; i < repetitions; ++i) {  // round -1 warms up and is not counted
        QueryPerformanceCounter(&start);
        EnumWindows(FloorEnumProc, 0);
        QueryPerformanceCounter(&end);
        double floorTime = Seconds(start, end, frequency);
        QueryPerformanceCounter(&start);
        Sweep();
        QueryPerformanceCounter(&end);
        double sweepTime = Seconds(start, end, frequency);
        QueryPerformanceCounter(&start);
        int matches = CompareAll();
        QueryPerformanceCounter(&end);
        double compareTime = Seconds(start, end, frequency);
        if (matches != 0) {
            std::printf("a rule matched a title it should not match\n");
            EndChild(child);
            return 1;
        }
        if (i >= 0) {
            floorTimes.push_back(floorTime);
            sweepTimes.push_back(sweepTime);
            compareTimes.push_back(compareTime);
        }
    }

    Census after = TakeCensus(child.process.dwProcessId);
    EndChild(child);
    if (after.childWindows != count) {
        std::printf("the sweep closed %d windows it should have left\n", count - after.childWindows);
        return 1;
    }

    double floorMedian = Median(floorTimes);
    double sweepMedian = Median(sweepTimes);
    std::printf("top-level windows: %d (%d benchmark, %d titled); rules: %d (Exact and Contains, none "
                "matching); repetitions: %d\n",
                before.windows, count, before.titled, lastRule + 1, repetitions);
    std::printf("floor  median %8.3f ms  min %8.3f ms  (%.1f us per window)\n", floorMedian * 1e3,
                *std::min_element(floorTimes.begin(), floorTimes.end()) * 1e3,
                floorMedian * 1e6 / before.windows);
    std::printf("sweep  median %8.3f ms  min %8.3f ms  (%.1f us per window)\n", sweepMedian * 1e3,
                *std::min_element(sweepTimes.begin(), sweepTimes.end()) * 1e3,
                sweepMedian * 1e6 / before.windows);
    std::printf("comparisons alone (titles already read) median %.3f ms (%.1f ns per comparison)\n",
                Median(compareTimes) * 1e3,
                Median(compareTimes) * 1e9 / (static_cast<double>(before.titled) * (lastRule + 1)));
    // On a busy machine the medians wander with the load; the minima show each pass
    // at its least disturbed.
    std::printf("ratio sweep/floor = %.3f by medians, %.3f by minima (goal <= 1.2)\n",
                sweepMedian / floorMedian,
                *std::min_element(sweepTimes.begin(), sweepTimes.end()) /
                    *std::min_element(floorTimes.begin(), floorTimes.end()));
    std::fflush(stdout);
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return RunChild(std::atoi(argv[2]), argv[3]);
    int count = argc > 1 ? std::atoi(argv[1]) : 300;
    int repetitions = argc > 2 ? std::atoi(argv[2]) : 20;
    if (count < 1 || repetitions < 1) {
        std::printf("usage: pyxen-sweep-bench.exe [WINDOWS [REPETITIONS]]\n");
        return 1;
    }
    return RunParent(count, repetitions);
}
