#include "paste/paste_win.h"

#include <string>

#include "paste/handover.h"
#include "paste/wait_rules.h"
#include "platform/bound.h"
#include "platform/clipboard.h"
#include "platform/keys.h"
#include "platform/list_view.h"
#include "platform/message_pump.h"
#include "platform/window.h"

namespace {

constexpr BYTE kVkControl = 17, kVkV = 86, kVkReturn = 13;

uint32_t nowMs() { return static_cast<uint32_t>(GetTickCount()); }

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

bool waitMilliseconds(int32_t amount, WaitUnit unit) {
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
    waitMilliseconds(app.pasteDelayMs, WaitUnit::Milliseconds);
}

int32_t WindowPasteHost::rowCount() { return listRowCount(list_); }
int32_t WindowPasteHost::selectedRow() { return listSelectedRow(list_); }
void WindowPasteHost::pasteRow(int32_t row) { ::pasteRow(app_, main_, list_, row); }
void WindowPasteHost::setTitle(const std::string& gbkText) { setWindowCaption(main_, gbkText); }
bool WindowPasteHost::windowOpen() { return IsWindow(main_) != FALSE; }
