#include "items/loader_win.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "base/gbk_text.h"
#include "items/segments.h"
#include "items/utf8_pieces.h"
#include "platform/bound.h"
#include "platform/files.h"
#include "platform/list_view.h"

namespace {

void forgetText(AppState& app) {
    app.segments.clear();
    app.sourceText = {};
    std::string().swap(app.convertedText);
}

// Rebuilds the list from the text makeText sets. The list is emptied first,
// so that no repaint asks for a row of a text that is going. Memory running
// out anywhere in the load ends as an unreadable file does: empty bytes,
// empty text, empty list.
template <typename MakeText>
void rebuild(AppState& app, HWND list, MakeText makeText) {
    app.segments.clear();
    listClear(list);
    bool built = false;
    try {
        makeText();
        built = fillItemList(app, list);
    } catch (const std::bad_alloc&) {
    }
    if (!built) {
        forgetText(app);
        std::string().swap(app.sourceBytes);
        listClear(list);
    }
}

// The bytes up to the first zero byte: the text they hold.
std::string_view textPart(std::string_view bytes) {
    const void* zero = std::memchr(bytes.data(), 0, bytes.size());
    return zero ? bytes.substr(0, static_cast<size_t>(static_cast<const char*>(zero) - bytes.data())) : bytes;
}

std::string cellText(const AppState& app, int row, int column) {
    if (row < 0 || static_cast<size_t>(row) >= app.segments.size()) return std::string();
    if (column == 0) return gbk::decimal(static_cast<long long>(row) + 1);
    return std::string(app.segments.segment(static_cast<size_t>(row)));
}

}  // namespace

void loadDroppedFile(AppState& app, HWND list, const std::string& path) {
    rebuild(app, list, [&] {
        forgetText(app);
        std::string().swap(app.sourceBytes);  // the old file's bytes go before the new ones come
        app.sourceBytes = readWholeFile(path);
        app.sourceText = textPart(app.sourceBytes);  // GBK: the text is the bytes themselves
    });
}

void redecodeAsUtf8(AppState& app, HWND list) {
    rebuild(app, list, [&] {
        forgetText(app);
        const std::string_view text = textPart(app.sourceBytes);
        if (isAscii(text)) {
            app.sourceText = text;  // reads the same either way: no copy
        } else {
            app.convertedText = utf8ToGbk(text);
            app.sourceText = app.convertedText;
        }
    });
}

std::string utf8ToGbk(std::string_view bytes) {
    bytes = textPart(bytes);
    // Converted a piece at a time: the whole text is never held in UTF-16.
    constexpr size_t kPiece = 1 << 20;
    std::string gbk;
    gbk.reserve(bytes.size());  // GBK never takes more bytes than UTF-8 for the same text
    std::vector<wchar_t> wide(kPiece);
    while (!bytes.empty()) {
        const size_t end = utf8PieceEnd(bytes, kPiece);
        const int w = bound::bound_MultiByteToWideChar()(CP_UTF8, 0, bytes.data(), static_cast<int>(end),
                                                         wide.data(), static_cast<int>(wide.size()));
        bytes.remove_prefix(end);
        if (w <= 0) continue;
        const int m = bound::bound_WideCharToMultiByte()(936, 0, wide.data(), w, nullptr, 0, nullptr, nullptr);
        if (m <= 0) continue;
        const size_t at = gbk.size();
        gbk.resize(at + static_cast<size_t>(m));
        bound::bound_WideCharToMultiByte()(936, 0, wide.data(), w, &gbk[at], m, nullptr, nullptr);
    }
    return gbk;
}

bool fillItemList(AppState& app, HWND list) {
    if (!app.segments.build(app.sourceText, app.separator) || app.segments.size() > INT_MAX) {
        app.segments.clear();
        return false;
    }
    // One message for all rows: the list asks for the cells it shows.
    SendMessageA(list, LVM_SETITEMCOUNT, app.segments.size(), 0);
    return true;
}

void supplyListCell(const AppState& app, NMHDR* request) {
    if (request->code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(request)->item;
        if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
        const std::string text = cellText(app, item.iItem, item.iSubItem);
        // Whole characters only, as many as the buffer holds.
        const size_t n = gbk::wholeCharsWithin(text, static_cast<size_t>(item.cchTextMax) - 1);
        std::memcpy(item.pszText, text.data(), n);
        item.pszText[n] = '\0';
    } else if (request->code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(request)->item;
        if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
        const std::string text = cellText(app, item.iItem, item.iSubItem);
        // Whole characters, as many as the buffer holds (each takes one UTF-16
        // unit for its one or two bytes).
        const size_t room = static_cast<size_t>(item.cchTextMax) - 1;
        const size_t n = gbk::wholeCharsWithin(text, room);
        const int w = n ? MultiByteToWideChar(936, 0, text.data(), static_cast<int>(n), item.pszText,
                                              static_cast<int>(room))
                        : 0;
        item.pszText[w > 0 ? w : 0] = L'\0';
    }
}

LRESULT findListRow(const AppState& app, const NMLVFINDITEMA& request) {
    if (!(request.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !request.lvfi.psz) return -1;
    const std::string_view typed = request.lvfi.psz;
    const size_t count = app.segments.size();
    if (count == 0 || typed.empty()) return -1;
    const bool whole = !(request.lvfi.flags & LVFI_PARTIAL);
    const size_t start = request.iStart >= 0 && static_cast<size_t>(request.iStart) < count ? request.iStart : 0;
    for (size_t i = 0; i < count; ++i) {
        const size_t row = (start + i) % count;
        const std::string number = gbk::decimal(static_cast<long long>(row) + 1);
        if (whole ? number == typed : number.compare(0, typed.size(), typed) == 0) return static_cast<LRESULT>(row);
    }
    return -1;
}
