#pragma once
// Enforcement hours: the weekly ranges in which Pyxens run, read in one time zone.

const int minutesPerDay = 24 * 60;
const int minutesPerWeek = 7 * minutesPerDay;

// Room for the ranges of one schedule: a line for each lesson of a school week, each
// spread over the days it names, fits with room to spare.
const int hoursCapacity = 128;

// A time zone's registry key name and its NUL, as DYNAMIC_TIME_ZONE_INFORMATION holds it.
const int zoneNameSize = 128;

// A range belongs to the day it starts on: start counts minutes from Monday 00:00, and
// one that runs past midnight (at most a whole day) simply reaches into the next day,
// Sunday's into Monday's.
struct HoursRange {
    int start;   // 0 .. minutesPerWeek - 1
    int length;  // 1 .. minutesPerDay
};

// No range at all means enforcing always, as without any hours.
struct HoursSchedule {
    int count;
    HoursRange ranges[hoursCapacity];
    char zone[zoneNameSize];  // printable ASCII; empty: the system's own zone
};
