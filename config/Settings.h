#pragma once

// The sweep period in milliseconds; the last INTER line of the settings file sets it.
extern int interval;
const int defaultInterval = 5000;

// Reads the settings file at path, with the program lists it names, into rules.
// Returns the index of the last rule added, or -1 when there is none (also when the
// file can't be read, which the user is told in a message box).
int LoadSettings(const char* path);

// Reads one program list, adding its rules after index last with defaultMethod as its
// starting default. Returns the index of the last rule added, or last when it added none.
int LoadProgramList(const char* path, int last, int defaultMethod);
