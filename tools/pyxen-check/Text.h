#pragma once
#include <string>

// A byte string as the checker prints it: printable ASCII as is; every other byte, and
// the backslash and double quote that would make the output ambiguous, as \xNN.
std::string Escaped(const char* bytes, int length);
std::string Escaped(const char* text);

// printf into a string.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
