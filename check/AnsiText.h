#pragma once
#include <string>

// Rule names, lines and paths are bytes in the ANSI code page, as window titles are.
// The checker shows them as text: it decodes them, one character at a time, into UTF-8.

// The ANSI code page names are decoded from: the system's own on Windows; on Linux the
// one chosen with UseCodePage, 932 (Shift JIS) until then.
int CheckCodePage();

#ifndef _WIN32
// Chooses the code page for the checker and for the readers alike. False when iconv
// knows no such code page here.
bool UseCodePage(int codePage);
#endif

// Decodes the one character that starts at bytes (at most available bytes long): sets
// used to its length and codePoint to its Unicode value. False when the bytes there are
// no character of the code page.
bool DecodeAnsiCharacter(const char* bytes, int available, int& used, unsigned& codePoint);

// Appends codePoint to utf8.
void AppendUtf8(unsigned codePoint, std::string& utf8);
