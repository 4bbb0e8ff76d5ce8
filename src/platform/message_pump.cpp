#include "platform/message_pump.h"

#include <initializer_list>
#include <utility>

#include "platform/bound.h"

namespace {

// An unnamed, automatically resetting waitable timer of its own.
class WaitableTimer {
public:
    WaitableTimer() : h_(bound::bound_CreateWaitableTimerA()(nullptr, FALSE, nullptr)) {}
    ~WaitableTimer() {
        if (h_) bound::bound_CloseHandle()(h_);
    }
    WaitableTimer(const WaitableTimer&) = delete;
    WaitableTimer& operator=(const WaitableTimer&) = delete;
    HANDLE get() const { return h_; }

private:
    HANDLE h_;
};

// Dispatches the waiting messages within the given ranges of message numbers,
// oldest first within each range, until only WM_QUIT or nothing is left.
void dispatchWaiting(std::initializer_list<std::pair<UINT, UINT>> ranges) {
    MSG msg;
    for (;;) {
        bool dispatched = false;
        for (const auto& [first, last] : ranges) {
            if (!PeekMessageA(&msg, nullptr, first, last, PM_NOREMOVE) || msg.message == WM_QUIT) continue;
            if (!PeekMessageA(&msg, nullptr, first, last, PM_REMOVE)) continue;
            TranslateMessage(&msg);
            DispatchMessageA(&msg);
            dispatched = true;
            break;
        }
        if (!dispatched) return;
    }
}

}  // namespace

void processPendingEvents() { dispatchWaiting({{0, 0}}); }

void processPendingEventsHoldingHotkeys() { dispatchWaiting({{0, WM_HOTKEY - 1}, {WM_HOTKEY + 1, 0xFFFFFFFF}}); }

bool pumpMessagesOnTimer(int64_t due, const std::function<bool()>& keepWaiting, Hotkeys hotkeys) {
    const DWORD wakeMask = hotkeys == Hotkeys::Held ? 0xFF & ~QS_HOTKEY : 0xFF;
    WaitableTimer timer;
    if (!timer.get()) return false;
    LARGE_INTEGER when;
    when.QuadPart = due;
    if (!bound::bound_SetWaitableTimer()(timer.get(), &when, 0, nullptr, nullptr, FALSE)) return false;
    while (keepWaiting()) {
        HANDLE handle = timer.get();
        const DWORD r = bound::bound_MsgWaitForMultipleObjects()(1, &handle, FALSE, INFINITE, wakeMask);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_FAILED) return false;  // never spin on a wait that cannot succeed
        if (hotkeys == Hotkeys::Held)
            processPendingEventsHoldingHotkeys();
        else
            processPendingEvents();
    }
    return true;
}

void serveSentMessages(uint32_t ms) {
    MsgWaitForMultipleObjectsEx(0, nullptr, ms, QS_SENDMESSAGE, 0);
    MSG msg;
    PeekMessageA(&msg, nullptr, 0, 0, PM_NOREMOVE | PM_QS_SENDMESSAGE);
}
