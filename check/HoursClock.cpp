#include "check/HoursClock.h"

#include <stdio.h>
#include <stdlib.h>

bool ReadFixedNow(int64_t& now, int& offsetMinutes)
{
    const char* value = getenv("PYXEN_CHECK_NOW");
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, offsetHour = 0, offsetMinute = 0;
    char sign = 0;
    int used = 0;
    if (value == nullptr || sscanf(value, "%4d-%2d-%2dT%2d:%2d%c%2d:%2d%n", &year, &month, &day, &hour,
                                   &minute, &sign, &offsetHour, &offsetMinute, &used) != 8 ||
        value[used] != '\0' || (sign != '+' && sign != '-'))
        return false;
    offsetMinutes = (sign == '-' ? -1 : 1) * (offsetHour * 60 + offsetMinute);
    now = DaysFromDate(year, month, day) * secondsPerDay + (hour * 60 + minute - offsetMinutes) * int64_t{60};
    return true;
}
