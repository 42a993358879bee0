#pragma once
#include "config/TextDecoder.h"

#include <stdio.h>

// Size of the line buffer: one read yields at most 249 characters, so a longer line
// reaches the readers as several lines.
const int lineSize = 250;

// Reads a settings file or program list line by line with the C runtime's text-mode
// rules, done here by hand on a binary stream so that every build turns the same bytes
// into the same lines: CR LF reads as one line end, a lone CR is an ordinary byte, and
// the first Ctrl-Z (0x1A) ends the file. A file saved as UTF-8 or UTF-16 is converted
// first (TextDecoder.h), and these rules hold on the converted bytes.
struct LineReader {
    TextDecoder text;
    int pending;      // a byte read ahead and given back, or -1
    bool midLine;     // the last piece stopped short of its line end
    int number;       // line number (from 1) of the piece last read
    bool cut;         // the last piece was cut at 249 characters and its line goes on
    TextNotes notes;  // what converting the last piece met
    TextNotes next;   // what converting the read-ahead byte's character met
};

// Opens a file for binary reading: fopen, unless a test serves files from memory.
extern FILE* (*openConfigFile)(const char* path);

bool OpenLines(LineReader& reader, const char* path, TextTarget target = TextTarget::AnsiCodePage);
void CloseLines(LineReader& reader);

// Reads the next piece into content (lineSize bytes) and stores its content length:
// what was read, without its line end, up to the first NUL byte. Returns false at the
// end of the file.
bool ReadLine(LineReader& reader, char* content, int& length);
