#pragma once
#include <stdint.h>

// Text in a settings file saved as UTF-8 or UTF-16 is turned into the bytes window
// titles arrive in: the ANSI code page. pyxen.exe converts with the platform's own
// conversion (Win32CodePage.cpp), so a character the code page lacks becomes just what
// it becomes in a title; the native build converts with iconv (IconvCodePage.cpp).

// Converts length UTF-16 code units (one character, or a surrogate pair) into out, at
// most size bytes. Returns the number of bytes written (0 when nothing fits) and sets
// lost when the code page has no such character and a stand-in was written instead.
int WideToAnsi(const uint16_t* text, int length, char* out, int size, bool& lost);

// Widens a NUL-terminated text in the ANSI code page into out, NUL-terminated, at most
// size - 1 characters; a text that does not fit, or can't be converted, gives an empty
// one. A text of n bytes always fits in n + 1 characters. For messages that name a file
// as the settings wrote it.
void AnsiToWide(const char* text, wchar_t* out, int size);

// The ANSI code page's number: GetACP() on Windows; on the native build the one set
// last, 932 (Shift JIS) unless set.
int AnsiCodePage();
#ifndef _WIN32
void SetAnsiCodePage(int codePage);

// The name iconv knows codePage by, into name (size bytes).
void IconvName(int codePage, char* name, int size);
#endif
