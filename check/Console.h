#pragma once
#include <string>

// Everything the checker says is UTF-8 text. A Windows console is given it as Unicode,
// so Japanese shows whatever the console's code page; a redirect or pipe gets the UTF-8
// bytes as they are, on every build.
void Print(const std::string& text);
void PrintError(const std::string& text);

// When the checker is the only process on its console, Windows made that console for it
// (it was double-clicked) and closes it as the checker ends: shows prompt and waits for
// Enter, so the report can be read. From a prompt, a script or a redirect, does nothing.
void HoldOwnConsole(const std::string& prompt);
