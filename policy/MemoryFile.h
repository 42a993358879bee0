#pragma once
// Bytes in memory as a file the readers open (config/LineReader.h's openConfigFile), so
// that text from the registry is read by the very code that reads a settings file.
#include <stdio.h>

// A stream that reads length bytes from bytes, which stay as they are until it is
// closed; nullptr when none can be had.
FILE* OpenBytes(const unsigned char* bytes, int length);
