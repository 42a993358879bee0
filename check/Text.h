#pragma once
#include <stdarg.h>
#include <string>

// A byte string as the checker prints it inside quotes: decoded from the ANSI code page
// into UTF-8; control characters, bytes that don't decode, and the backslash and double
// quote that would make the output ambiguous, as \xNN (the bytes as they are).
std::string Escaped(const char* bytes, int length);
std::string Escaped(const char* text);

// A path, or any other argument, as the checker prints it: decoded the same way, but
// with its backslashes and quotes left alone, so that .\pyxen.cfg reads as written.
std::string ShownPath(const std::string& path);

// UTF-8 text followed by blanks up to width columns; a wide (CJK) character takes two.
std::string Padded(const std::string& text, int width);

// printf into a string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string FormatList(const char* format, va_list arguments);

// A line or part of one as the warnings quote it: 'Escaped'.
std::string Quoted(const char* bytes, int length);
