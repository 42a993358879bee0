#pragma once
#include "rules/Rule.h"

// Holds one top-level window against rules 0 to lastRule, in order. Always returns
// TRUE so that the enumeration goes on.
BOOL CALLBACK SweepEnumProc(HWND window, LPARAM parameter);

// One pass over every top-level window; the host runs it on each timer tick. A call
// made while a sweep is running returns at once.
void Sweep();
