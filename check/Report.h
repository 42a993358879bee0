#pragma once
#include <string>

// Prints what pyxen.exe would use: the encoding of each file where it matters, the
// interval and where it came from, and rules 0 to lastRule with their methods, names
// and origins.
void PrintReport(const char* path);

// Prints the warnings in the order their lines were read.
void PrintWarnings();

// "1 Contains", or "7 never matches" for a method no rule can match with.
std::string MethodLabel(int method);
