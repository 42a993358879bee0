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

// The ANSI code page's number: GetACP() on Windows; on the native build the one set
// last, 932 (Shift JIS) unless set.
int AnsiCodePage();
#ifndef _WIN32
void SetAnsiCodePage(int codePage);
#endif
