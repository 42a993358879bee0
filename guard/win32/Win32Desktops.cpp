// The session's desktop watch, pyxen-desktops.exe, and the pipe its reports come by. A
// handle can't be inherited across sessions (CreateProcessAsUser), so the watch opens a
// named pipe by the name on its command line. The pipe lets SYSTEM alone in, takes one
// client, and is the first of its name, so no user can read, forge or squat it. Its
// reads are overlapped: a report that has come wakes the loop through the thread pool,
// as a child's end does, and the loop never waits on a watch.
#include "desktops/DesktopReport.h"
#include "guard/GuardSystem.h"
#include "guard/win32/Win32Guard.h"

#include <sddl.h>

struct ChildPipe {
    HANDLE pipe;
    HANDLE event;  // auto-reset: the thread pool's wait takes each signal
    HANDLE wait;
    OVERLAPPED io;
    bool connected;
    bool pending;  // io is under way, or done and not yet looked at
    bool broken;
    bool discarding;  // the rest of a report too long for the buffer
    char buffer[desktopReportSize];
};

namespace {

// Held open for the life of the service, sharing only reading: a user's open that shares
// nothing fails while any other is open, so no one can hold the file to keep the watch
// from starting, not even outside the hours, when no watch runs.
HANDLE heldProgram = INVALID_HANDLE_VALUE;
LONG pipeCount;

VOID CALLBACK OnPipe(PVOID, BOOLEAN)
{
    SetEvent(ChildEndedEvent());
}

ChildPipe* NewPipeNamed(const wchar_t* name, DWORD& error)
{
    SECURITY_ATTRIBUTES security = {sizeof security, NULL, FALSE};
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;;GA;;;SY)", SDDL_REVISION_1, &security.lpSecurityDescriptor, NULL)) {
        error = GetLastError();
        return NULL;
    }
    ChildPipe* pipe =
        static_cast<ChildPipe*>(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, sizeof(ChildPipe)));
    if (!pipe) {
        LocalFree(security.lpSecurityDescriptor);
        error = ERROR_NOT_ENOUGH_MEMORY;
        return NULL;
    }
    pipe->pipe = CreateNamedPipeW(
        name, PIPE_ACCESS_INBOUND | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
        desktopReportSize, 0, &security);
    LocalFree(security.lpSecurityDescriptor);
    pipe->event = CreateEventW(NULL, FALSE, FALSE, NULL);
    bool made = pipe->pipe != INVALID_HANDLE_VALUE && pipe->event;
    if (made) {
        pipe->io.hEvent = pipe->event;
        if (ConnectNamedPipe(pipe->pipe, &pipe->io) || GetLastError() == ERROR_IO_PENDING)
            pipe->pending = true;
        else
            pipe->connected = GetLastError() == ERROR_PIPE_CONNECTED;
        made = pipe->pending || pipe->connected;
    }
    made = made && RegisterWaitForSingleObject(&pipe->wait, pipe->event, OnPipe, NULL, INFINITE,
                                               WT_EXECUTEINWAITTHREAD);
    if (!made) {
        error = GetLastError();
        FreeChildPipe(pipe);
        return NULL;
    }
    return pipe;
}

// Any user may make a pipe in the global namespace, and one who made ours first would
// keep the watch from starting: the name holds the performance counter's low bits, which
// no one can tell beforehand, and a name taken already is given up for another.
const int pipeTries = 4;

ChildPipe* NewPipe(wchar_t* name, DWORD& error)
{
    ChildPipe* pipe = NULL;
    for (int attempt = 0; attempt < pipeTries && !pipe; ++attempt) {
        LARGE_INTEGER counter;
        QueryPerformanceCounter(&counter);
        wsprintfW(name, L"\\\\.\\pipe\\PyxenDesktops-%lu-%ld-%08lx", GetCurrentProcessId(),
                  InterlockedIncrement(&pipeCount), static_cast<unsigned long>(counter.LowPart));
        pipe = NewPipeNamed(name, error);
    }
    return pipe;
}

// pyxen-desktops.exe beside pyxen-guard.exe, into program (MAX_PATH + 32 characters).
void WatchProgram(wchar_t* program)
{
    lstrcpynW(program, GuardFolder(), MAX_PATH);
    lstrcatW(program, L"\\pyxen-desktops.exe");
}

// Starts the next read; its result is looked at by the next ReadDesktopReport.
void Read(ChildPipe* pipe)
{
    if (ReadFile(pipe->pipe, pipe->buffer, sizeof pipe->buffer, NULL, &pipe->io) ||
        GetLastError() == ERROR_IO_PENDING || GetLastError() == ERROR_MORE_DATA)
        pipe->pending = true;
    else
        pipe->broken = true;
}

}  // namespace

void FreeChildPipe(ChildPipe* pipe)
{
    if (pipe->wait)
        UnregisterWaitEx(pipe->wait, INVALID_HANDLE_VALUE);
    if (pipe->pending) {
        DWORD bytes;
        CancelIoEx(pipe->pipe, &pipe->io);
        GetOverlappedResult(pipe->pipe, &pipe->io, &bytes, TRUE);
    }
    if (pipe->pipe && pipe->pipe != INVALID_HANDLE_VALUE)
        CloseHandle(pipe->pipe);
    if (pipe->event)
        CloseHandle(pipe->event);
    HeapFree(GetProcessHeap(), 0, pipe);
}

void HoldDesktopWatch()
{
    wchar_t program[MAX_PATH + 32];
    WatchProgram(program);
    if (heldProgram == INVALID_HANDLE_VALUE)
        heldProgram = CreateFileW(program, GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, NULL);
}

ChildId StartDesktopWatch(SessionId session, unsigned long& error)
{
    wchar_t program[MAX_PATH + 32];
    WatchProgram(program);
    // Held already unless a user held it at the service's start.
    HoldDesktopWatch();
    wchar_t name[80];
    DWORD failure = 0;
    ChildPipe* pipe = NewPipe(name, failure);
    if (!pipe) {
        error = failure;
        return 0;
    }
    ChildId watch = StartInSession(session, program, name, GuardFolder(), L"default", pipe, error);
    if (!watch)
        FreeChildPipe(pipe);
    return watch;
}

int ReadDesktopReport(ChildId watch, char* report, int size)
{
    ChildPipe* pipe = PipeOf(watch);
    if (!pipe)
        return 0;
    for (int step = 0; step < 4 && !pipe->broken; ++step) {
        if (!pipe->pending) {
            Read(pipe);
            continue;
        }
        DWORD bytes = 0;
        BOOL done = GetOverlappedResult(pipe->pipe, &pipe->io, &bytes, FALSE);
        DWORD failure = done ? 0 : GetLastError();
        if (failure == ERROR_IO_INCOMPLETE)
            return 0;
        pipe->pending = false;
        if (!pipe->connected) {
            pipe->connected = done != FALSE;
            pipe->broken = !done;
            continue;
        }
        if (failure == ERROR_MORE_DATA) {
            pipe->discarding = true;
            continue;
        }
        if (!done) {
            pipe->broken = true;
            return 0;
        }
        bool whole = !pipe->discarding;
        pipe->discarding = false;
        if (whole && bytes > 0 && static_cast<int>(bytes) <= size) {
            CopyMemory(report, pipe->buffer, bytes);
            Read(pipe);
            return static_cast<int>(bytes);
        }
    }
    return 0;
}
