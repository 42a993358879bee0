#pragma once
// The host window's class, which also lets an administrator's script find it to stop
// Pyxen with WM_CLOSE; the checker and the end-to-end probe look for it by this name.
const char hostClassName[] = "Pyxen";
