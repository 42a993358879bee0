#pragma once
#include "config/ConfigObserver.h"
#include "check/Findings.h"

// The ways a settings file says something other than what its writer meant. Each check
// adds its warnings to the findings at the line given.

// An INTER, METHOD or READ line: value is the number read, or for READ the offset of
// the path in the line.
void CheckKeywordLine(const Origin& at, const ConfigLine& line, const char* keyword, int value);

// A rule line, as read; name is what the reader made of it.
void CheckRuleLine(const Origin& at, const ConfigLine& line, const char* name);

// The rule just added at index, against the rules before it.
void CheckRule(int index);

// The interval just set; it replaces any warning about an earlier one.
void CheckInterval(const Origin& at, int value);

void CheckIgnoredLine(const Origin& at, const ConfigLine& line);
