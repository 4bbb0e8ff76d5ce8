// Layouts are drawn for 96 dots per inch. The program is system DPI aware:
// on a scaled screen every fixed size grows with the DPI it started with.
#pragma once
#include "platform/win.h"

// The screen's DPI at start (96 on an unscaled screen).
int systemDpi();

// A length of the 96-DPI layout at the screen's DPI.
inline int scaledForDpi(int length) { return MulDiv(length, systemDpi(), 96); }

// The dialog font of the windows: the stock GUI font at 96 DPI, the same face
// grown with the DPI otherwise. Lives as long as the process.
HFONT dialogFont();
