#include "paste/paste.h"

#include <functional>
#include <string>

#include "paste/handover.h"
#include "paste/wait_rules.h"
#include "platform/bound.h"
#include "platform/clipboard.h"
#include "platform/desktop.h"

namespace {

constexpr BYTE kVkControl = 17, kVkV = 86, kVkReturn = 13;

uint32_t nowMs() { return static_cast<uint32_t>(GetTickCount()); }

enum class Hotkeys { Dispatched, Held };

// Sleeps on a waitable timer due at the given time (100 ns units, negative
// meaning relative) and dispatches every message that arrives meanwhile,
// until the timer is due or keepWaiting() turns false. Held hotkey presses
// stay queued for a later wait. False when the timer could not be used.
bool pumpMessagesOnTimer(int64_t due, const std::function<bool()>& keepWaiting, Hotkeys hotkeys) {
    const DWORD wakeMask = hotkeys == Hotkeys::Held ? 0xFF & ~QS_HOTKEY : 0xFF;
    HANDLE timer = bound::bound_CreateWaitableTimerA()(nullptr, FALSE, nullptr);
    if (!timer) return false;
    LARGE_INTEGER when;
    when.QuadPart = due;
    bool waited = bound::bound_SetWaitableTimer()(timer, &when, 0, nullptr, nullptr, FALSE) != FALSE;
    while (waited && keepWaiting()) {
        const DWORD r = bound::bound_MsgWaitForMultipleObjects()(1, &timer, FALSE, INFINITE, wakeMask);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_FAILED) {  // never spin on a wait that cannot succeed
            waited = false;
            break;
        }
        if (hotkeys == Hotkeys::Held)
            processPendingEventsHoldingHotkeys();
        else
            processPendingEvents();
    }
    bound::bound_CloseHandle()(timer);
    return waited;
}

// The text on the clipboard and the program it is meant for: the one whose
// window had the focus when the text was put there.
struct PasteHandOver {
    HandOver handOver;
    DWORD target = 0;

    PasteHandOver() {
        watchClipboardOffer({[this](DWORD reader) {
                                 if (reader != 0 && reader == target) handOver.taken();
                             },
                             [this] { handOver.replaced(); }});
    }
};

PasteHandOver& handOver() {
    static PasteHandOver h;
    return h;
}

DWORD focusedProcess() {
    DWORD process = 0;
    if (HWND w = bound::bound_GetForegroundWindow()()) GetWindowThreadProcessId(w, &process);
    return process;
}

// Waits, dispatching messages as the paste delay does, while the current
// text waits for its program; a text that nobody took is signalled as a
// paste that could not be made. A press handled meanwhile comes back here
// before it replaces the text, and then holds further presses until it has
// put its own text on the clipboard, so that the texts go out in the order
// of the presses.
void settleCurrentText(Hotkeys hotkeys) {
    HandOver& h = handOver().handOver;
    const uint64_t serial = h.current();
    const uint32_t left = h.remainingMs(nowMs());
    if (left > 0)
        pumpMessagesOnTimer(-10000LL * left, [&] { return h.waiting(serial, nowMs()); }, hotkeys);
    HandOver::Outcome outcome;
    if (h.finish(serial, outcome) && outcome != HandOver::Outcome::Taken) MessageBeep(MB_ICONWARNING);
}

}  // namespace

bool setClipboardText(HWND owner, std::string_view text) {
    settleCurrentText(Hotkeys::Held);
    PasteHandOver& h = handOver();
    h.target = focusedProcess();
    if (!offerClipboardText(owner, text)) return false;
    h.handOver.begin(nowMs());
    return true;
}

bool waitMilliseconds(int32_t amount, int32_t unit) {
    return pumpMessagesOnTimer(waitDueTime(amount, unit), [] { return true; }, Hotkeys::Dispatched);
}

void pasteRow(const AppState& app, HWND owner, HWND list, int32_t row) {
    std::string text;
    bool ready = listGetCell(list, row, 1, text);
    ready = ready && setClipboardText(owner, text);
    std::string().swap(text);
    listSelectRow(list, row);
    listEnsureVisible(list, row);
    if (ready) {
        sendKeyChord(kVkControl, kVkV);
        if (app.appendEnter) sendKeyChord(kVkReturn);
        settleCurrentText(Hotkeys::Dispatched);
    } else {
        // Nothing of ours is on the clipboard: pasting would send something else.
        MessageBeep(MB_ICONWARNING);
    }
    waitMilliseconds(app.pasteDelayMs, 0);
}

int32_t WindowPasteHost::rowCount() { return listRowCount(list_); }
int32_t WindowPasteHost::selectedRow() { return listSelectedRow(list_); }
void WindowPasteHost::pasteRow(int32_t row) { ::pasteRow(app_, main_, list_, row); }
void WindowPasteHost::setTitle(const std::string& gbkText) { setWindowCaption(main_, gbkText); }
bool WindowPasteHost::windowOpen() { return IsWindow(main_) != FALSE; }
