#pragma once
#include "guard/ServiceLoop.h"

// Learns the files the settings in the current folder use, and gives the loop what to
// wait on for their edits. Edited settings that load with a rule replace every Pyxen.
const LoopWatch* StartWin32SettingsWatch();
