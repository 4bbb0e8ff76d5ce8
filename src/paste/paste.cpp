#include "paste/paste.h"

#include <string>

#include "paste/wait_rules.h"
#include "platform/bound.h"
#include "platform/desktop.h"
#include "platform/scoped.h"

namespace {

constexpr BYTE kVkControl = 17, kVkV = 86, kVkReturn = 13;

// Another program may hold the clipboard open for a moment (clipboard
// managers, remote desktop). Pasting then would send that program's old
// content as if it were the segment, so wait a little for it instead.
constexpr uint32_t kClipboardBudgetMs = 500;
constexpr uint32_t kClipboardRetryMs = 10;

bool openClipboardPatiently(HWND owner) {
    return retryWithin([owner] { return bound::bound_OpenClipboard()(owner) != FALSE; },
                       [] { return static_cast<uint32_t>(GetTickCount()); },
                       [](uint32_t ms) { Sleep(ms); }, kClipboardBudgetMs, kClipboardRetryMs);
}

}  // namespace

bool setClipboardText(std::string_view text) {
    if (text.size() >= static_cast<size_t>(-1)) return false;
    ScopedGlobal block(bound::bound_GlobalAlloc()(GMEM_MOVEABLE, text.size() + 1));
    if (!block.get()) return false;
    auto* bytes = static_cast<char*>(bound::bound_GlobalLock()(block.get()));
    if (!bytes) return false;
    bound::bound_RtlMoveMemory()(bytes, text.data(), text.size());
    bytes[text.size()] = '\0';
    bound::bound_GlobalUnlock()(block.get());

    if (!openClipboardPatiently(bound::bound_GetForegroundWindow()())) return false;
    bound::bound_EmptyClipboard()();
    bool placed = bound::bound_SetClipboardData()(CF_TEXT, block.get()) != nullptr;
    if (placed) block.release();  // the clipboard owns the block now
    bound::bound_CloseClipboard()();
    return placed;
}

bool waitMilliseconds(int32_t amount, int32_t unit) {
    HANDLE timer = bound::bound_CreateWaitableTimerA()(nullptr, FALSE, nullptr);
    if (!timer) return false;
    LARGE_INTEGER due;
    due.QuadPart = waitDueTime(amount, unit);
    bool waited = bound::bound_SetWaitableTimer()(timer, &due, 0, nullptr, nullptr, FALSE) != FALSE;
    while (waited) {
        const DWORD r = bound::bound_MsgWaitForMultipleObjects()(1, &timer, FALSE, INFINITE, 0xFF);
        if (r == WAIT_OBJECT_0) break;
        if (r == WAIT_FAILED) {  // never spin on a wait that cannot succeed
            waited = false;
            break;
        }
        processPendingEvents();
    }
    bound::bound_CloseHandle()(timer);
    return waited;
}

void pasteCurrentItem(const AppState& app, HWND list) {
    std::string text;
    bool ready = listGetCell(list, app.cursor, 1, text);
    ready = ready && setClipboardText(text);
    std::string().swap(text);
    listSelectRow(list, app.cursor);
    listEnsureVisible(list, app.cursor);
    if (ready) {
        sendKeyChord(kVkControl, kVkV);
        if (app.appendEnter) sendKeyChord(kVkReturn);
    } else {
        // Nothing of ours is on the clipboard: pasting would send something else.
        MessageBeep(MB_ICONWARNING);
    }
    waitMilliseconds(app.pasteDelayMs, 0);
}

int32_t WindowPasteHost::rowCount() { return listRowCount(list_); }
int32_t WindowPasteHost::selectedRow() { return listSelectedRow(list_); }
void WindowPasteHost::pasteCurrentItem() { ::pasteCurrentItem(app_, list_); }
void WindowPasteHost::setTitle(const std::string& gbkText) { setWindowCaption(main_, gbkText); }
