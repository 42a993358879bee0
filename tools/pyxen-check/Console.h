#pragma once
#include <string>

// Everything the checker says is UTF-8 text. A Windows console is given it as Unicode,
// so Japanese shows whatever the console's code page; a redirect or pipe gets the UTF-8
// bytes as they are, on every build.
void Print(const std::string& text);
void PrintError(const std::string& text);
