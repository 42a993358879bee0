#pragma once

// Warns of every file the settings were read from that someone other than an
// administrator may change: under the guard, whoever can write the settings or a
// program list can switch the rules off for everyone. Windows only.
void CheckWhoMayChangeFiles();
