#include "check/Console.h"

#include "check/CheckSystem.h"

void Print(const std::string& text)
{
    WriteText(stdout, text);
}

void PrintError(const std::string& text)
{
    WriteText(stderr, text);
}
