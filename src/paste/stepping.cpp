#include "paste/stepping.h"

#include "base/gbk_text.h"

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
    return "\xD5\xFD\xD0\xF2:\xB5\xB1\xC7\xB0\xB5\xDA" + gbk::decimal(rowNumber) + "\xCC\xF5";  // "正序:当前第" "条"
}

std::string positionTitle(long long rowNumber) {
    return "\xB5\xB1\xC7\xB0\xB5\xDA" + gbk::decimal(rowNumber) + "\xCC\xF5";  // "当前第" "条"
}

// A step takes its row before it pastes: a press handled during the paste's
// waits then pastes the next row instead of this one again. The title shows
// the row just pasted unless a click or a press during the paste has moved
// the position (and set the title) since.
void stepForward(AppState& app, PasteHost& host) {
    const int32_t rows = host.rowCount();
    if (app.cursor >= rows && app.infiniteLoop) app.cursor = 0;
    const int32_t row = app.cursor;
    const int32_t next = addWrapping(row, 1);
    app.cursor = next;
    host.pasteRow(row);
    if (app.cursor == next) host.setTitle(forwardTitle(next));
}

void stepBackward(AppState& app, PasteHost& host) {
    if (app.cursor < 0 && app.infiniteLoop) app.cursor = addWrapping(host.rowCount(), -1);
    const int32_t row = app.cursor;
    const int32_t next = addWrapping(row, -1);
    app.cursor = next;
    host.pasteRow(row);
    if (app.cursor == next) host.setTitle(positionTitle(static_cast<long long>(row) + 1));
}

void selectFromList(AppState& app, PasteHost& host) {
    app.cursor = host.selectedRow();
    host.setTitle(positionTitle(static_cast<long long>(app.cursor) + 1));
}

void onHotkeyEvent(AppState& app, PasteHost& host, int32_t hotkeyId, int32_t /*unused*/) {
    if (app.hotkeyMode == kAllRemaining) {
        // Count and direction are fixed at the press; nested presses during
        // the waits move the cursor, and the remaining steps go on from there.
        const int32_t order = app.loopOrder;
        long long steps = 0;
        if (order == kForward)
            steps = static_cast<long long>(host.rowCount()) - app.cursor;
        else if (order == kReverse)
            steps = static_cast<long long>(app.cursor) + 1;
        for (long long i = 0; i < steps && host.windowOpen(); ++i) {
            if (order == kForward)
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
        case kRepeat: host.pasteRow(app.cursor); break;
        default: break;
    }
}
