#include "platform/Window.h"

#include <string.h>
#include <wchar.h>

namespace {

// Loading runs before the sweep timer starts, and a box waits for its OK: a box shown
// there would leave the PC unguarded for as long as nobody presses OK. So the boxes
// wait here until the timer runs; a box's own message loop then dispatches the ticks.
const int queueCapacity = 32;
// A path of a whole line: 249 bytes and its NUL.
const int pathSize = 250;

struct QueuedBox {
    const wchar_t* caption;
    const wchar_t* text;
    char path[pathSize];
};

QueuedBox queue[queueCapacity];
int queued;

void ShowBox(const wchar_t* caption, const wchar_t* text, const char* path)
{
    // Room for the longest message and a path of a whole line (at most one character
    // per byte once widened).
    wchar_t message[512];
    int length = (int)wcslen(text);
    if (length > 255)
        length = 255;
    wmemcpy(message, text, length);
    int widened = MultiByteToWideChar(CP_ACP, 0, path, -1, message + length, 512 - length);
    if (widened <= 0)
        message[length] = L'\0';
    // With no owner, a box started in the background would open behind the windows of
    // the program in front, or stay there at logon, where nobody sees it. For a box
    // without owner MB_SYSTEMMODAL means topmost too, where MB_TOPMOST alone is not
    // honoured (Wine).
    MessageBoxW(NULL, message, caption, MB_OK | MB_SETFOREGROUND | MB_TOPMOST | MB_SYSTEMMODAL);
}

}  // namespace

void ShowErrorBox(const wchar_t* caption, const wchar_t* text, const char* path)
{
    // A queue that is full (more than 32 unreadable lists) shows the rest at once, as
    // they come: every failure still gets its box.
    if (queued == queueCapacity) {
        ShowBox(caption, text, path);
        return;
    }
    QueuedBox& box = queue[queued++];
    box.caption = caption;
    box.text = text;
    strncpy(box.path, path, pathSize - 1);
    box.path[pathSize - 1] = '\0';
}

void ShowQueuedErrorBoxes()
{
    for (int i = 0; i < queued; ++i)
        ShowBox(queue[i].caption, queue[i].text, queue[i].path);
    queued = 0;
}
