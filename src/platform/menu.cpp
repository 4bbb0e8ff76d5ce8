#include "platform/menu.h"
void showPopupMenu(HWND window, HMENU menu) {
    POINT pt{};
    GetCursorPos(&pt);
    TrackPopupMenu(menu, TPM_RIGHTBUTTON, pt.x + 3, pt.y + 3, 0, window, nullptr);
}

