// probe.exe: looks at the desktop from inside Wine on behalf of the end-to-end scripts.
//
//   probe.exe box [--wait MS] [--ok]     the message box: its caption, text and whether
//                                        it is topmost, then IDOK
//   probe.exe host [--wait MS]           the host window: title length, visible, tool window
//   probe.exe close-host                 sends WM_CLOSE to the host window
//   probe.exe two-hosts [--wait MS]      waits until two host windows exist, as during
//                                        a swap under the guard
//   probe.exe kill-host [--wait MS]      ends the host window's process from outside, as
//                                        Task Manager does, then ms until a host window
//                                        exists again
//   probe.exe control SERVICE CODE      sends a control code to a service: its answer
//                                        (0 when it accepted it, else the Windows error)
//   probe.exe tick-host                  sends WM_TIMER (timer 1) to the host window
//   probe.exe close TITLE                sends WM_CLOSE to the top-level window titled TITLE
//   probe.exe first-close REPORT [--wait MS]
//                                        ms from the host window's creation to the first
//                                        "close" line of a testwin report
//   probe.exe hold REPORT FILE...       opens every FILE for reading with no sharing, as
//                                        a user may, writes "held N" (how many it holds)
//                                        to REPORT and keeps them until REPORT is deleted
//   probe.exe desktop-windows NAME     the top-level windows on the desktop NAME of the
//                                        window station: one "window PID CLASS" line each
//   probe.exe end-process PID            ends the process PID from outside
//   probe.exe zone NAME                  reads the zone NAME as the enforcement hours do
//                                        and converts every quarter hour of 2020-2030 to
//                                        its local time, against Windows' own conversion:
//                                        how many differ, and the first few
//
// Texts are printed as UTF-8, with "\n", "\r", "\\" and "\xHH" escapes, so a script
// compares the exact UTF-16 text a user would read. Exit status 0 when the window was
// found, 1 when it was not within the wait, 2 for a bad command.
#include "config/Utf8.h"
#include "host/HostClass.h"
#include "hours/ZoneLookup.h"

#include <windows.h>

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

namespace {

void Print(const char* text)
{
    DWORD written;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text, (DWORD)strlen(text), &written, NULL);
}

void PrintNumber(const char* label, long long value)
{
    char line[100];
    snprintf(line, sizeof line, "%s: %lld\n", label, value);
    Print(line);
}

void PrintEscaped(const char* label, const wchar_t* text)
{
    static char line[8192];
    int at = snprintf(line, sizeof line, "%s: ", label);
    for (const wchar_t* c = text; *c && at < (int)sizeof line - 16; ++c) {
        int used;
        unsigned code = (unsigned)WideCharacter(c, used);
        c += used - 1;
        if (code == '\n') {
            at += snprintf(line + at, 3, "\\n");
        } else if (code == '\r') {
            at += snprintf(line + at, 3, "\\r");
        } else if (code == '\\') {
            at += snprintf(line + at, 3, "\\\\");
        } else if (code < 0x20 || code == 0x7F) {
            at += snprintf(line + at, 5, "\\x%02X", code);
        } else {
            at += EncodeUtf8((long)code, (unsigned char*)line + at);
        }
    }
    line[at++] = '\n';
    line[at] = '\0';
    Print(line);
}

long long NowMs()
{
    static LARGE_INTEGER frequency;
    if (!frequency.QuadPart)
        QueryPerformanceFrequency(&frequency);
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart * 1000 / frequency.QuadPart;
}

// Polls find() until it gives a window or waitMs has passed.
template <typename Find>
HWND WaitFor(Find find, long waitMs)
{
    long long deadline = NowMs() + waitMs;
    for (;;) {
        HWND window = find();
        if (window || NowMs() >= deadline)
            return window;
        Sleep(2);
    }
}

struct BoxSearch {
    HWND first;
    int count;
};

BOOL CALLBACK FindBoxes(HWND window, LPARAM parameter)
{
    char className[64];
    if (GetClassNameA(window, className, sizeof className) && strcmp(className, "#32770") == 0
        && IsWindowVisible(window)) {
        BoxSearch* search = reinterpret_cast<BoxSearch*>(parameter);
        if (!search->first)
            search->first = window;
        ++search->count;
    }
    return TRUE;
}

struct TextSearch {
    wchar_t text[4096];
    int found;
};

BOOL CALLBACK FindStaticText(HWND child, LPARAM parameter)
{
    char className[64];
    if (!GetClassNameA(child, className, sizeof className) || lstrcmpiA(className, "Static") != 0)
        return TRUE;
    wchar_t text[4096];
    if (GetWindowTextW(child, text, 4096) <= 0)
        return TRUE;  // the icon is a Static without text
    TextSearch* search = reinterpret_cast<TextSearch*>(parameter);
    if (!search->found)
        lstrcpynW(search->text, text, 4096);
    ++search->found;
    return TRUE;
}

int Box(long waitMs, bool ok)
{
    BoxSearch search = {};
    WaitFor([&] {
        search = BoxSearch();
        EnumWindows(FindBoxes, reinterpret_cast<LPARAM>(&search));
        return search.first;
    }, waitMs);
    PrintNumber("boxes", search.count);
    if (!search.first)
        return 1;
    // The text is set while the box initialises; give it a moment to settle.
    Sleep(100);
    wchar_t caption[4096];
    GetWindowTextW(search.first, caption, 4096);
    static TextSearch text;
    EnumChildWindows(search.first, FindStaticText, reinterpret_cast<LPARAM>(&text));
    PrintEscaped("caption", caption);
    PrintEscaped("text", text.text);
    PrintNumber("texts", text.found);
    PrintNumber("topmost", (GetWindowLongA(search.first, GWL_EXSTYLE) & WS_EX_TOPMOST) ? 1 : 0);
    if (ok)
        PostMessageA(search.first, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
    return 0;
}

HWND FindHost()
{
    return FindWindowA(hostClassName, NULL);
}

// The second host window, while two Pyxens run.
HWND FindSecondHost()
{
    HWND first = FindHost();
    return first ? FindWindowExA(NULL, first, hostClassName, NULL) : NULL;
}

int TwoHosts(long waitMs)
{
    bool found = WaitFor(FindSecondHost, waitMs) != NULL;
    Print(found ? "two-hosts: found\n" : "two-hosts: none\n");
    return found ? 0 : 1;
}

int Host(long waitMs)
{
    HWND host = WaitFor(FindHost, waitMs);
    if (!host) {
        Print("host: none\n");
        return 1;
    }
    Print("host: found\n");
    PrintNumber("title-length", GetWindowTextLengthA(host));
    PrintNumber("visible", IsWindowVisible(host) ? 1 : 0);
    PrintNumber("toolwindow", (GetWindowLongA(host, GWL_EXSTYLE) & WS_EX_TOOLWINDOW) ? 1 : 0);
    return 0;
}

// Waits up to 20 s: the host handles a message sent to it only between the windows
// of a sweep, and a sweep may wait on a window for seconds.
int Send(HWND window, UINT message, WPARAM wParam, const char* name)
{
    if (!window) {
        Print("window: none\n");
        return 1;
    }
    DWORD_PTR result;
    LRESULT sent = SendMessageTimeoutA(window, message, wParam, 0, SMTO_ABORTIFHUNG, 20000,
                                       &result);
    Print(sent ? "sent: " : "timed out: ");
    Print(name);
    Print("\n");
    return sent ? 0 : 1;
}

bool ReportHasClose(const char* path)
{
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, NULL,
                              OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, NULL);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    static char content[1 << 16];
    DWORD length = 0;
    ReadFile(file, content, sizeof content - 1, &length, NULL);
    CloseHandle(file);
    content[length] = '\0';
    return strncmp(content, "close ", 6) == 0 || strstr(content, "\nclose ") != NULL;
}

int FirstClose(const char* report, long waitMs)
{
    // Announced, so that the script starts Pyxen only once this probe is watching.
    Print("watching\n");
    long long start = NowMs();
    HWND host = WaitFor(FindHost, waitMs);
    if (!host) {
        Print("host: none\n");
        return 1;
    }
    long long created = NowMs();
    while (!ReportHasClose(report)) {
        if (NowMs() - start > waitMs) {
            Print("first-close: none\n");
            return 1;
        }
        Sleep(2);
    }
    PrintNumber("host-to-first-close-ms", NowMs() - created);
    return 0;
}

int KillHost(long waitMs)
{
    HWND host = FindHost();
    DWORD id = 0;
    GetWindowThreadProcessId(host, &id);
    HANDLE process = id ? OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id) : NULL;
    if (!process) {
        Print("host: none\n");
        return 1;
    }
    long long start = NowMs();
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    PrintNumber("killed", id);
    if (!WaitFor(FindHost, waitMs)) {
        Print("host: none\n");
        return 1;
    }
    PrintNumber("host-again-ms", NowMs() - start);
    return 0;
}

int Control(const char* service, long code)
{
    SC_HANDLE manager = OpenSCManagerA(NULL, NULL, SC_MANAGER_CONNECT);
    SC_HANDLE handle = manager ? OpenServiceA(manager, service, SERVICE_USER_DEFINED_CONTROL |
                                                                  SERVICE_QUERY_STATUS)
                               : NULL;
    if (!handle) {
        Print("service: none\n");
        return 1;
    }
    SERVICE_STATUS status;
    BOOL accepted = ControlService(handle, (DWORD)code, &status);
    PrintNumber("answer", accepted ? 0 : (long long)GetLastError());
    CloseServiceHandle(handle);
    CloseServiceHandle(manager);
    return 0;
}

// FILETIME ticks and whole seconds, both since 1601.
long long Seconds(const SYSTEMTIME& time)
{
    ULARGE_INTEGER ticks;
    SystemTimeToFileTime(&time, reinterpret_cast<FILETIME*>(&ticks));
    return static_cast<long long>(ticks.QuadPart / 10000000);
}

// Each year is converted with the rules Windows gives for it, a day left out at each end
// of the year, where the local year is not the UTC one.
int Zone(const char* name)
{
    static ZoneRules zone;
    if (!ReadNamedZone(name, zone)) {
        Print("zone: none\n");
        return 1;
    }
    DYNAMIC_TIME_ZONE_INFORMATION dynamic = {};
    MultiByteToWideChar(CP_ACP, 0, name, -1, dynamic.TimeZoneKeyName, 128);
    long long checked = 0, mismatches = 0;
    for (WORD year = 2020; year <= 2030; ++year) {
        TIME_ZONE_INFORMATION rules;
        GetTimeZoneInformationForYear(year, &dynamic, &rules);
        for (long long at = DaysFromDate(year, 1, 2) * secondsPerDay; at < DaysFromDate(year, 12, 31) * secondsPerDay;
             at += 900, ++checked) {
            ULARGE_INTEGER ticks;
            ticks.QuadPart = static_cast<unsigned long long>(at) * 10000000;
            SYSTEMTIME utc, local;
            FileTimeToSystemTime(reinterpret_cast<FILETIME*>(&ticks), &utc);
            SystemTimeToTzSpecificLocalTime(&rules, &utc, &local);
            if (LocalFromUtc(zone, at) != Seconds(local) && ++mismatches <= 5)
                printf("differs at %04u-%02u-%02u %02u:%02u UTC: Windows %lld, ours %lld minutes ahead\n", utc.wYear,
                       utc.wMonth, utc.wDay, utc.wHour, utc.wMinute, (Seconds(local) - at) / 60,
                       (LocalFromUtc(zone, at) - at) / 60);
        }
    }
    PrintNumber("years", zone.yearCount);
    PrintNumber("checked", checked);
    PrintNumber("zone-mismatches", mismatches);
    return mismatches == 0 ? 0 : 1;
}

int Hold(const char* report, int count, char** paths)
{
    int held = 0;
    for (int i = 0; i < count; ++i) {
        HANDLE file = CreateFileA(paths[i], GENERIC_READ, 0, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
        if (file != INVALID_HANDLE_VALUE)
            ++held;  // kept open for the life of the process
    }
    FILE* out = fopen(report, "w");
    if (!out)
        return 2;
    fprintf(out, "held %d\n", held);
    fclose(out);
    // Ended through its report: killing a script's background job would end only the
    // shell around the Wine process.
    while (GetFileAttributesA(report) != INVALID_FILE_ATTRIBUTES)
        Sleep(100);
    return 0;
}

BOOL CALLBACK PrintWindow(HWND window, LPARAM)
{
    char className[64] = "";
    GetClassNameA(window, className, sizeof className);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char line[120];
    snprintf(line, sizeof line, "window %lu %s\n", (unsigned long)process, className);
    Print(line);
    return TRUE;
}

int DesktopWindows(const char* name)
{
    HDESK desktop = OpenDesktopA(name, 0, FALSE, DESKTOP_READOBJECTS | DESKTOP_ENUMERATE);
    if (!desktop) {
        Print("desktop: none\n");
        return 1;
    }
    EnumDesktopWindows(desktop, PrintWindow, 0);
    CloseDesktop(desktop);
    return 0;
}

int EndProcess(unsigned long id)
{
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) {
        Print("process: none\n");
        return 1;
    }
    TerminateProcess(process, 1);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
    Print("process: ended\n");
    return 0;
}

int Usage()
{
    fprintf(stderr, "usage: probe.exe box [--wait MS] [--ok] | host [--wait MS] | two-hosts [--wait MS] | close-host"
                    " | kill-host [--wait MS] | control SERVICE CODE | tick-host | close TITLE | first-close REPORT [--wait MS]"
                    " | hold REPORT FILE... | desktop-windows NAME | end-process PID | zone NAME\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2)
        return Usage();
    const char* command = argv[1];
    if (argc >= 4 && strcmp(command, "hold") == 0)
        return Hold(argv[2], argc - 3, argv + 3);
    if (argc == 3 && strcmp(command, "end-process") == 0)
        return EndProcess(strtoul(argv[2], NULL, 10));
    if (argc == 3 && strcmp(command, "desktop-windows") == 0)
        return DesktopWindows(argv[2]);
    if (argc == 3 && strcmp(command, "zone") == 0)
        return Zone(argv[2]);
    if (argc == 4 && strcmp(command, "control") == 0)
        return Control(argv[2], strtol(argv[3], NULL, 10));
    const char* operand = NULL;
    long waitMs = 0;
    bool ok = false;
    for (int i = 2; i < argc; ++i) {
        if (strcmp(argv[i], "--wait") == 0 && i + 1 < argc)
            waitMs = strtol(argv[++i], NULL, 10);
        else if (strcmp(argv[i], "--ok") == 0)
            ok = true;
        else if (!operand)
            operand = argv[i];
        else
            return Usage();
    }
    if (strcmp(command, "box") == 0)
        return Box(waitMs, ok);
    if (strcmp(command, "host") == 0)
        return Host(waitMs);
    if (strcmp(command, "two-hosts") == 0)
        return TwoHosts(waitMs);
    if (strcmp(command, "close-host") == 0)
        return Send(FindHost(), WM_CLOSE, 0, "WM_CLOSE");
    if (strcmp(command, "kill-host") == 0)
        return KillHost(waitMs);
    if (strcmp(command, "tick-host") == 0)
        return Send(FindHost(), WM_TIMER, 1, "WM_TIMER");
    if (strcmp(command, "close") == 0 && operand)
        return Send(FindWindowA(NULL, operand), WM_CLOSE, 0, "WM_CLOSE");
    if (strcmp(command, "first-close") == 0 && operand)
        return FirstClose(operand, waitMs ? waitMs : 30000);
    return Usage();
}
