#pragma once

// Prints the enforcement hours that go with the settings file at settingsPath: where
// they come from, their zone, the week, and whether Pyxen enforces now and until when.
// What is wrong with them is added to the warnings.
void PrintHours(const char* settingsPath);
