#pragma once
// What the guard keeps for the desktops of one session besides Default. A desktop beyond
// these is one no Pyxen can run on, and is treated as one the guard can't open: while it
// is the input desktop, the input goes back to Default.

// A desktop's name in UTF-16 units with its NUL: longer names are cut and can't be
// guarded. Windows' own names and those of the tools that make desktops are far shorter.
const int desktopNameSize = 128;

// Desktops of one session with a Pyxen of their own at once. Each one costs desktop heap
// from the session's fixed view, so a session has few; a user who makes more than this
// is playing, and is taken back to Default.
const int desktopsPerSession = 8;
