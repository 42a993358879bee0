#pragma once
#include <stdio.h>

// Size of the line buffer: one read yields at most 249 characters, so a longer line
// reaches the readers as several lines.
const int lineSize = 250;

// Reads a settings file or program list line by line with the C runtime's text-mode
// rules, done here by hand on a binary stream so that every build turns the same bytes
// into the same lines: CR LF reads as one line end, a lone CR is an ordinary byte, and
// the first Ctrl-Z (0x1A) ends the file.
struct LineReader {
    FILE* file;
    int pending;    // a byte read ahead and given back, or -1
    bool atEnd;
    bool midLine;   // the last piece stopped short of its line end
    int number;     // line number (from 1) of the piece last read
    bool cut;       // the last piece was cut at 249 characters and its line goes on
};

bool OpenLines(LineReader& reader, const char* path);
void CloseLines(LineReader& reader);

// Reads the next piece into content (lineSize bytes) and stores its content length:
// what was read, without its line end, up to the first NUL byte. Returns false at the
// end of the file.
bool ReadLine(LineReader& reader, char* content, int& length);
