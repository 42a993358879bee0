#pragma once
// What pyxen-desktops.exe tells the guard about its session's desktops: one report, a
// message on its pipe, each time something changed. A report is lines of ASCII:
//
//   desktop NAME   a desktop a Pyxen is to run on; a report names all of them
//   shut NAME      a desktop no Pyxen can run on, seen for the first time
//   switched NAME  the input was switched back to Default from that desktop
//   end            the report is whole
//
// A name may hold any character but a backslash, so every UTF-16 unit outside '!'..'~',
// and '%' itself, is written as %XXXX: no name can break a line or forge one.
#include "desktops/DesktopLimits.h"

// The longest report: the desktops, as many notices, each name escaped in full.
const int desktopLineSize = 10 + 5 * desktopNameSize;
const int desktopReportSize = 3 * desktopsPerSession * desktopLineSize + 8;

enum class DesktopLineKind { Desktop, Shut, Switched, End };

struct DesktopLine {
    DesktopLineKind kind;
    wchar_t name[desktopNameSize];
};

// Appends the line to report (at length, at most size bytes in all); false when it
// doesn't fit or the name can't be written, and then report is as it was.
bool AppendDesktopLine(char* report, int& length, int size, DesktopLineKind kind,
                       const wchar_t* name);

// Reads the line at at (end is the report's end) and moves at past it; false, with at
// past the line, when it is none of the above. At the report's end, false and at == end.
bool ReadDesktopLine(const char*& at, const char* end, DesktopLine& line);
