#include "rules/PendingCloses.h"

namespace {

struct PendingClose {
    HWND window;
    unsigned long owner;
    uintptr_t request;  // 0: the slot is free
};

PendingClose pending[pendingCapacity];

// An id names its slot (id % capacity) and one use of it, so an answer that comes
// after its slot was given to another window is recognised as stale.
uintptr_t lastUse;

// The slot of the request opened last.
int newestSlot;

// The program whose request the wait last ran out on, and that request.
unsigned long stalledProcess;
uintptr_t stalledRequest;

PendingClose& SlotOf(uintptr_t request)
{
    return pending[request % pendingCapacity];
}

}  // namespace

uintptr_t OpenCloseRequest(HWND window, WindowOwner ownerOf)
{
    unsigned long owner = ownerOf(window);
    if (owner == 0)
        return 0;
    int freeSlot = -1;
    for (int i = 0; i < pendingCapacity; ++i) {
        PendingClose& slot = pending[i];
        if (slot.request == 0) {
            if (freeSlot < 0)
                freeSlot = i;
        } else if (slot.window == window) {
            if (slot.owner == owner)
                return 0;
            slot.request = 0;  // an earlier window under the same handle value
            if (freeSlot < 0)
                freeSlot = i;
        } else if (slot.owner == owner) {
            // The thread is still inside that window's WM_CLOSE, most likely asking its
            // user "save changes?" in a box of its own, which a close request would
            // cancel: none of its windows is asked anything until the answer comes.
            if (ownerOf(slot.window) == owner)
                return 0;
            slot.request = 0;  // that window is gone, and its request with it
            if (freeSlot < 0)
                freeSlot = i;
        }
    }
    // Only a full table pays for asking after every other window.
    for (int i = 0; freeSlot < 0 && i < pendingCapacity; ++i) {
        if (ownerOf(pending[i].window) != pending[i].owner) {
            pending[i].request = 0;
            freeSlot = i;
        }
    }
    // Every slot holds a live request: a flood of windows, on many threads, that take a
    // request and never finish it. Refusing would leave every window not asked yet open
    // for as long as the flood lasts, so the newest request is given up and its window
    // may be asked again. The older ones stay: each sweep asks again only the windows
    // beyond the table, where giving up the oldest would ask every one of them in turn,
    // and the questions held longest are left to their users.
    if (freeSlot < 0)
        freeSlot = newestSlot;
    ++lastUse;
    uintptr_t request = lastUse * pendingCapacity + static_cast<uintptr_t>(freeSlot);
    if (request < pendingCapacity) {  // the count wrapped: keep ids away from 0
        lastUse = 1;
        request = pendingCapacity + static_cast<uintptr_t>(freeSlot);
    }
    pending[freeSlot] = PendingClose{window, owner, request};
    newestSlot = freeSlot;
    return request;
}

void EndCloseRequest(uintptr_t request)
{
    if (CloseRequestOpen(request))
        SlotOf(request).request = 0;
}

bool CloseRequestOpen(uintptr_t request)
{
    return request != 0 && SlotOf(request).request == request;
}

unsigned long CloseWaitFor(unsigned long process)
{
    return process == stalledProcess && CloseRequestOpen(stalledRequest) ? 0 : closeWait;
}

void NoteStalled(unsigned long process, uintptr_t request, unsigned long waited)
{
    // Sent without a wait, the request found its program busy already: the one it is
    // busy with stays the one to watch.
    if (waited == 0)
        return;
    stalledProcess = process;
    stalledRequest = request;
}

void ResetCloseRequests()
{
    for (PendingClose& slot : pending)
        slot = PendingClose{};
    lastUse = 0;
    newestSlot = 0;
    stalledProcess = 0;
    stalledRequest = 0;
}
