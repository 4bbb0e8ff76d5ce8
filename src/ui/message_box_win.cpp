#include "ui/message_box_win.h"

#include <vector>

#include "platform/bound.h"
#include "platform/message_pump.h"
#include "platform/scoped.h"

namespace {

// Some systems (Wine among them) accept MessageBoxTimeoutA's time-out and
// ignore it. A thread timer set a little later than the time-out ends the
// box as the system would have, with the time-out code; where the system
// honours the time-out, the box is gone before this timer fires.
constexpr UINT kFallbackGraceMs = 250;

struct OpenBox {
    UINT_PTR timer = 0;
    HWND box = nullptr;  // the dialog the system created for this call
};

std::vector<OpenBox*>& openBoxes() {
    static std::vector<OpenBox*> boxes;
    return boxes;
}

ScopedHook* g_creationHook = nullptr;  // while a call waits for its box to be created
OpenBox* g_awaitingWindow = nullptr;

// Catches the dialog window of the box being shown: the first #32770 that
// the thread creates once the call has begun.
LRESULT CALLBACK onWindowCreation(int code, WPARAM wp, LPARAM lp) {
    if (code == HCBT_CREATEWND && g_awaitingWindow) {
        char cls[16] = {};
        GetClassNameA(reinterpret_cast<HWND>(wp), cls, sizeof cls);
        if (std::string(cls) == "#32770") {
            g_awaitingWindow->box = reinterpret_cast<HWND>(wp);
            g_awaitingWindow = nullptr;
            ScopedHook* hook = g_creationHook;
            g_creationHook = nullptr;
            const LRESULT r = CallNextHookEx(hook->get(), code, wp, lp);
            hook->remove();  // done before a box inside this one's loop can start
            return r;
        }
    }
    return CallNextHookEx(g_creationHook ? g_creationHook->get() : nullptr, code, wp, lp);
}

void CALLBACK onBoxTimeout(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    for (OpenBox* open : openBoxes())
        // A box with another box open above it returns once that one is closed.
        if (open->timer == timer && open->box && IsWindow(open->box)) EndDialog(open->box, kBoxTimedOut);
}

}  // namespace

HWND findOwnWindow() {
    const DWORD pid = bound::bound_GetCurrentProcessId()();
    const DWORD start = GetTickCount();
    HWND window = nullptr;
    while (static_cast<DWORD>(GetTickCount() - start) < 1000) {
        window = bound::bound_FindWindowExA()(nullptr, window, nullptr, nullptr);
        DWORD owner = 0;
        if (window && bound::bound_IsWindow()(window) == TRUE && bound::bound_IsWindowVisible()(window) &&
            bound::bound_GetWindowThreadProcessId()(window, &owner) && owner == pid)
            return window;
        processPendingEvents();
    }
    return nullptr;
}

int timedMessageBox(const std::string& text, std::optional<UINT> style, std::optional<std::string> title,
                    std::optional<HWND> owner, std::optional<int> timeoutMs) {
    const HWND ownerWindow = owner ? *owner : findOwnWindow();
    const std::string boxTitle = title ? *title : kDefaultBoxTitle;
    const int timeout = timeoutMs ? *timeoutMs : kDefaultBoxTimeoutMs;

    OpenBox open;
    if (timeout > 0) open.timer = SetTimer(nullptr, 0, static_cast<UINT>(timeout) + kFallbackGraceMs, onBoxTimeout);
    openBoxes().push_back(&open);
    g_awaitingWindow = &open;
    ScopedHook creationHook(WH_CBT, onWindowCreation);
    g_creationHook = &creationHook;
    const int result = bound::bound_MessageBoxTimeoutA()(ownerWindow, text.c_str(), boxTitle.c_str(),
                                                          style ? *style : 0, 0, static_cast<DWORD>(timeout));
    g_creationHook = nullptr;
    g_awaitingWindow = nullptr;
    if (open.timer) KillTimer(nullptr, open.timer);
    openBoxes().pop_back();
    return result - 1;
}
