#include "platform/clipboard.h"

#include <new>
#include <string>

#include "base/retry.h"
#include "platform/bound.h"
#include "platform/message_pump.h"
#include "platform/scoped.h"

namespace {

struct Offer {
    HWND owner = nullptr;
    std::string text;  // the CF_TEXT bytes, without the terminating zero
    bool ownsClipboard = false;
    bool textRendered = false;
    bool wideRendered = false;
    bool emptying = false;  // our own EmptyClipboard, not another program's
    ClipboardWatch watch;
};

Offer& offer() {
    static Offer o;
    return o;
}

// Another program may hold the clipboard open for a moment (clipboard
// managers, remote desktop). Pasting then would send that program's old
// content as if it were the segment, so wait a little for it instead.
constexpr uint32_t kBusyBudgetMs = 500;
constexpr uint32_t kBusyRetryMs = 10;

// The clipboard opened by this program, closed again at the end of the scope.
class OpenedClipboard {
public:
    // Waits up to kBusyBudgetMs for another program to let go of it.
    explicit OpenedClipboard(HWND owner)
        : open_(retryWithin([owner] { return bound::bound_OpenClipboard()(owner) != FALSE; },
                            [] { return static_cast<uint32_t>(GetTickCount()); }, serveSentMessages, kBusyBudgetMs,
                            kBusyRetryMs)) {}
    ~OpenedClipboard() {
        if (open_) bound::bound_CloseClipboard()();
    }
    OpenedClipboard(const OpenedClipboard&) = delete;
    OpenedClipboard& operator=(const OpenedClipboard&) = delete;
    bool open() const { return open_; }

private:
    bool open_;
};

// A movable block holding bytes; null when memory is short.
HGLOBAL blockOf(const void* bytes, size_t size) {
    ScopedGlobal block(bound::bound_GlobalAlloc()(GMEM_MOVEABLE, size));
    if (!block.get()) return nullptr;
    void* p = bound::bound_GlobalLock()(block.get());
    if (!p) return nullptr;
    bound::bound_RtlMoveMemory()(p, bytes, size);
    bound::bound_GlobalUnlock()(block.get());
    return block.release();
}

HGLOBAL textBlock(const std::string& text) { return blockOf(text.c_str(), text.size() + 1); }

HGLOBAL wideBlock(const std::string& text) {
    try {
        std::wstring wide;
        if (!text.empty()) {
            const int n = static_cast<int>(text.size());
            const int w = bound::bound_MultiByteToWideChar()(CP_ACP, 0, text.data(), n, nullptr, 0);
            if (w <= 0) return nullptr;
            wide.resize(static_cast<size_t>(w));
            bound::bound_MultiByteToWideChar()(CP_ACP, 0, text.data(), n, &wide[0], w);
        }
        return blockOf(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// Puts a block on the open clipboard; the clipboard owns it from then on.
bool place(UINT format, HGLOBAL block) {
    if (!block) return false;
    if (bound::bound_SetClipboardData()(format, block)) return true;
    GlobalFree(block);
    return false;
}

void renderText() { offer().textRendered = place(CF_TEXT, textBlock(offer().text)); }
void renderWide() { offer().wideRendered = place(CF_UNICODETEXT, wideBlock(offer().text)); }

// Formats that clipboard history, cloud clipboard and well-behaved clipboard
// managers look for to leave content alone: a long list would otherwise
// flood the user's history, and a monitor would read each text before the
// program it was meant for.
void markForMonitors() {
    const DWORD zero = 0;
    for (const char* name : {"ExcludeClipboardContentFromMonitorProcessing", "Clipboard Viewer Ignore",
                             "CanIncludeInClipboardHistory", "CanUploadToCloudClipboard"}) {
        if (const UINT format = RegisterClipboardFormatA(name)) place(format, blockOf(&zero, sizeof zero));
    }
}

}  // namespace

void watchClipboardOffer(ClipboardWatch watch) { offer().watch = std::move(watch); }

bool offerClipboardText(HWND owner, std::string_view text) {
    Offer& o = offer();
    std::string copy;
    try {
        copy.assign(text);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const OpenedClipboard clipboard(owner);
    if (!clipboard.open()) return false;
    o.emptying = true;
    const bool emptied = bound::bound_EmptyClipboard()() != FALSE;
    o.emptying = false;
    if (!emptied) return false;
    o.owner = owner;
    o.text.swap(copy);
    o.ownsClipboard = true;
    o.textRendered = o.wideRendered = false;
    // Null handles: each text format is rendered when a program asks for
    // it. SetClipboardData then returns null on success too.
    bound::bound_SetClipboardData()(CF_TEXT, nullptr);
    bound::bound_SetClipboardData()(CF_UNICODETEXT, nullptr);
    // The bytes are in the system's ANSI code page, whatever keyboard
    // layout is active; without CF_LOCALE Windows would take the input
    // language's code page to turn them into Unicode.
    const LCID locale = GetSystemDefaultLCID();
    place(CF_LOCALE, blockOf(&locale, sizeof locale));
    markForMonitors();
    return IsClipboardFormatAvailable(CF_TEXT) != FALSE;
}

bool handleClipboardOwnerMessage(UINT msg, WPARAM wp) {
    Offer& o = offer();
    switch (msg) {
        case WM_RENDERFORMAT: {
            // The reader holds the clipboard open and waits for us to answer.
            if (wp == CF_TEXT) renderText();
            else if (wp == CF_UNICODETEXT) renderWide();
            else return true;
            DWORD reader = 0;
            if (HWND opener = GetOpenClipboardWindow()) GetWindowThreadProcessId(opener, &reader);
            if (o.watch.read) o.watch.read(reader);
            return true;
        }
        case WM_RENDERALLFORMATS:
            keepClipboardAfterExit();
            return true;
        case WM_DESTROYCLIPBOARD:
            if (o.emptying || !o.ownsClipboard) return true;
            o.ownsClipboard = false;
            if (o.watch.replaced) o.watch.replaced();
            return true;
        default:
            return false;
    }
}

void keepClipboardAfterExit() {
    Offer& o = offer();
    if (!o.ownsClipboard || (o.textRendered && o.wideRendered)) return;
    const OpenedClipboard clipboard(o.owner);
    if (!clipboard.open() || GetClipboardOwner() != o.owner) return;  // replaced by another program since
    if (!o.textRendered) renderText();
    if (!o.wideRendered) renderWide();
}
