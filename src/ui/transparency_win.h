// Translucent top-level windows.
#pragma once
#include "platform/win.h"

// The extended style becomes WS_EX_LAYERED alone, then the alpha (255 opaque)
// applies; returns what SetLayeredWindowAttributes returns.
BOOL setWindowAlpha(HWND window, BYTE alpha);
