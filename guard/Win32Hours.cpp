// The wall clock, as the enforcement hours read it.
#include "guard/GuardSystem.h"

#include <windows.h>

int64_t GuardUtcNow()
{
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    uint64_t ticks = static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
    return static_cast<int64_t>(ticks / 10000000);
}
