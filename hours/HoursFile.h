#pragma once
// Reads enforcement hours: hours.cfg beside pyxen.cfg, or the same lines from the policy.
//
//   ZONE=Tokyo Standard Time
//   Mon-Fri 08:40-12:30 13:15-15:40
//   月,水 18:00-20:00
//   Sun 21:00-07:00
//
// Days are Mon..Sun or 月..日 (月曜 and 月曜日 too), as a span (Mon-Fri or 月～金,
// wrapping past Sunday: Sat-Mon), a comma list (also 月、水), or both. One or more
// ranges HH:MM-HH:MM (or HH:MM～HH:MM) follow, start included and end excluded, 24:00
// only as an end. An end before its start runs past midnight. '#' starts a comment, on
// a line of its own or after the ranges.
#include "hours/Hours.h"

// Why a line was refused. The whole file (or policy) is refused with it.
enum class HoursFault {
    None,
    LineTooLong,    // longer than the reader's line
    TextUnreadable, // an ANSI line the code page can't widen
    NoDays,         // a range with no day before it
    UnknownDay,     // a word that names no day, or a span or list left open
    NoRange,        // days without a range
    BadRange,       // not HH:MM-HH:MM, or something after the ranges
    BadTime,        // an hour past 24, a minute past 59, 24:xx other than an end of 24:00
    EmptyRange,     // start equal to end
    TooManyRanges,  // more than hoursCapacity ranges in all
    ZoneEmpty,      // ZONE= with no name
    ZoneNotAscii,   // a zone name with a character no key name has
    ZoneTooLong,    // longer than a key name can be
    ZoneRepeated,   // a second ZONE=
    FileUnreadable, // the file is there but can't be opened (access denied, held open)
    ValueNotLine,   // the policy's value whose name is not a number, or that is not text
};

struct HoursError {
    int line;  // from 1; 0 when the fault is not a line's
    HoursFault fault;
};

void ClearHours(HoursSchedule& schedule);

// Adds one line, in UTF-8: a comment, a ZONE= line or a line of ranges.
HoursFault AddHoursLine(HoursSchedule& schedule, const char* line, int length);

// Sets the zone from text of its own, as the policy gives it.
HoursFault SetHoursZone(HoursSchedule& schedule, const char* name, int length);

enum class HoursRead {
    Missing,  // no such file: no hours
    Read,     // schedule holds the file's hours (none, if it has no range)
    Refused,  // error says where and why (line 0 for a file that can't be opened);
              // schedule holds nothing to use
};

// Reads the file in whatever encoding it was saved in, with the readers' decoder.
// schedule is overwritten even when the file is refused, so the caller reads into a
// schedule of its own and keeps the one in force until this one is good.
HoursRead ReadHoursFile(const char* path, HoursSchedule& schedule, HoursError& error);
