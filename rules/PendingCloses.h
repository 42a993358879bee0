#pragma once
// Close requests sent but not answered yet. A program asking its user "save changes?"
// may keep its answer back for hours; meanwhile a second WM_CLOSE must never land in
// the window still handling the first, nor in any other window of the thread handling
// it (its own question box among them), so its request is remembered here until the
// answer comes or the window is gone. Fixed size: when every slot holds a request to a
// live window, the newest request is given up for the new one, so "never twice at
// once" holds until more windows stall than the table holds, and a window not asked
// yet is asked whatever the others do.
#include "platform/Window.h"

#include <stdint.h>

const int pendingCapacity = 64;

// The thread that owns a window, or 0 once the window is gone. A handle value taken
// over by a later window of another thread is then not mistaken for the old one.
typedef unsigned long (*WindowOwner)(HWND window);

// Opens a request to window and returns its id (never 0); returns 0 when the window,
// or any other live window of its thread, still has an unanswered request, or when the
// window is gone. A full table gives up its newest request: that id is no longer open.
uintptr_t OpenCloseRequest(HWND window, WindowOwner ownerOf);

// The program answered, or the request never reached it: the slot is free. An id
// whose slot was freed and taken again meanwhile changes nothing.
void EndCloseRequest(uintptr_t request);

// True while the request waits for its answer.
bool CloseRequestOpen(uintptr_t request);

// Windows' own threshold for calling a program "not responding".
const unsigned long closeWait = 5000;

// How long a request to a window of process may hold the sweep for its answer:
// closeWait, as Windows waits before calling a program not responding; 0 while the
// program's request that last used up that wait is still open. The program is busy with
// it, most likely asking its user, and one that opens a question in each of many windows
// would otherwise hold every sweep closeWait for each of them.
unsigned long CloseWaitFor(unsigned long process);

// The request was not answered within waited ms, CloseWaitFor's answer when it was sent.
void NoteStalled(unsigned long process, uintptr_t request, unsigned long waited);

// Empties the table and forgets the stalled program (a fresh desktop in the tests).
void ResetCloseRequests();
