// Pop-up menus.
#pragma once
#include "platform/win.h"

// TrackPopupMenu, right button, at the mouse position plus 3 pixels right
// and down; the chosen item reaches window as WM_COMMAND.
void showPopupMenu(HWND window, HMENU menu);
