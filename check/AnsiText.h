#pragma once
#include <string>

// Rule names, lines and paths are bytes in the ANSI code page, as window titles are.
// The checker shows them as text: it decodes them, one character at a time, into UTF-8.

// No character of a code page Windows offers as the ANSI one is longer than this.
const int longestAnsiCharacter = 4;

// The ANSI code page names are decoded from: the system's own on Windows; on Linux the
// one ChooseCodePage (check/CheckSystem.h) took, 932 (Shift JIS) until then.
int CheckCodePage();

// Decodes the one character that starts at bytes (at most available bytes long): sets
// used to its length and codePoint to its Unicode value. False when the bytes there are
// no character of the code page.
bool DecodeAnsiCharacter(const char* bytes, int available, int& used, unsigned& codePoint);

// The system's side of it: whether exactly these length bytes are one character, and
// which.
bool DecodeAnsiBytes(const char* bytes, int length, unsigned& codePoint);

// Appends codePoint to utf8.
void AppendUtf8(unsigned codePoint, std::string& utf8);
