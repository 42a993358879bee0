#pragma once
#include "guard/win32/ServiceLoop.h"

// Starts watching the settings in the current folder on a thread of its own, and gives
// the loop what to wait on: edited settings that load with a rule replace every Pyxen.
// NULL when Windows gives no thread or event.
const LoopWatch* StartWin32SettingsWatch();
