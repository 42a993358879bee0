#pragma once
// Why hours were refused, in a few words: Japanese, then English in brackets, as the
// guard's entries give both languages at once. The checker explains each fault at
// length in texts of its own.
#include "hours/HoursFile.h"

// Empty for HoursFault::None.
const wchar_t* HoursFaultText(HoursFault fault);
