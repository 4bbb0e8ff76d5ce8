#include "paste/stepping.h"

#include "app/gbk_text.h"

namespace {

enum LoopOrder : int32_t { kForward = 0, kReverse = 1, kRepeat = 2 };
constexpr int32_t kAllRemaining = 1;

// The cursor is unbounded by design; wrap like the 32-bit register it is
// instead of overflowing.
int32_t addWrapping(int32_t value, int32_t delta) {
    return static_cast<int32_t>(static_cast<uint32_t>(value) + static_cast<uint32_t>(delta));
}

}  // namespace

std::string forwardTitle(long long rowNumber) {
    return "正序:当前第" + gbk::decimal(rowNumber) + "条";
}

std::string positionTitle(long long rowNumber) {
    return "当前第" + gbk::decimal(rowNumber) + "条";
}

void stepForward(AppState& app, PasteHost& host) {
    const int32_t rows = host.rowCount();
    if (app.cursor >= rows && app.infiniteLoop) app.cursor = 0;
    host.pasteCurrentItem();
    app.cursor = addWrapping(app.cursor, 1);
    host.setTitle(forwardTitle(app.cursor));
}

void stepBackward(AppState& app, PasteHost& host) {
    if (app.cursor < 0 && app.infiniteLoop) app.cursor = addWrapping(host.rowCount(), -1);
    host.pasteCurrentItem();
    app.cursor = addWrapping(app.cursor, -1);
    host.setTitle(positionTitle(static_cast<long long>(app.cursor) + 2));
}

void selectFromList(AppState& app, PasteHost& host) {
    app.cursor = host.selectedRow();
    host.setTitle(positionTitle(static_cast<long long>(app.cursor) + 1));
}

void onHotkeyEvent(AppState& app, PasteHost& host, int32_t hotkeyId, int32_t /*unused*/) {
    if (app.hotkeyMode == kAllRemaining) {
        // The count is fixed at the press; nested presses during the waits
        // move the cursor, and the remaining steps go on from there.
        long long steps = 0;
        if (app.loopOrder == kForward)
            steps = static_cast<long long>(host.rowCount()) - app.cursor;
        else if (app.loopOrder == kReverse)
            steps = static_cast<long long>(app.cursor) + 1;
        for (long long i = 0; i < steps; ++i) {
            if (app.loopOrder == kForward)
                stepForward(app, host);
            else
                stepBackward(app, host);
        }
        return;
    }
    if (hotkeyId != app.hotkeyId) return;
    switch (app.loopOrder) {
        case kForward: stepForward(app, host); break;
        case kReverse: stepBackward(app, host); break;
        case kRepeat: host.pasteCurrentItem(); break;
        default: break;
    }
}
