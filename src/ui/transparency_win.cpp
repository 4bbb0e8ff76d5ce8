#include "ui/transparency_win.h"

#include "platform/bound.h"

BOOL setWindowAlpha(HWND window, BYTE alpha) {
    bound::bound_SetWindowLongA()(window, GWL_EXSTYLE, WS_EX_LAYERED);
    return bound::bound_SetLayeredWindowAttributes()(window, 0, alpha, LWA_ALPHA);
}
