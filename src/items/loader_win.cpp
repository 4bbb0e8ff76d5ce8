#include "items/loader_win.h"

#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "base/gbk_text.h"
#include "items/segments.h"
#include "items/utf8_pieces.h"
#include "platform/background.h"
#include "platform/bound.h"
#include "platform/files.h"
#include "platform/list_view.h"

namespace {

// The bytes up to the first zero byte: the text they hold.
std::string_view textPart(std::string_view bytes) {
    const void* zero = std::memchr(bytes.data(), 0, bytes.size());
    return zero ? bytes.substr(0, static_cast<size_t>(static_cast<const char*>(zero) - bytes.data())) : bytes;
}

// A loaded text from bytes and the way their text is read: the text and its
// rows, or, when the text is too long for the index or memory runs out, an
// empty one, as of an unreadable file.
template <typename ReadText>
LoadedTextPtr makeLoadedText(std::shared_ptr<const std::string> bytes, const std::string& separator,
                             ReadText readText) {
    try {
        auto loaded = std::make_shared<LoadedText>();
        loaded->sourceBytes = std::move(bytes);
        readText(*loaded);
        if (loaded->segments.build(loaded->sourceText, separator) && loaded->segments.size() <= INT_MAX)
            return loaded;
    } catch (const std::bad_alloc&) {
    }
    try {
        return std::make_shared<LoadedText>();
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

// A cell's text, without a copy of its segment (which may be the whole file):
// the row number is made in number.
std::string_view cellText(const AppState& app, int row, int column, std::string& number) {
    if (!app.source || row < 0 || static_cast<size_t>(row) >= app.source->segments.size()) return {};
    if (column != 0) return app.source->segments.segment(static_cast<size_t>(row));
    number = gbk::decimal(static_cast<long long>(row) + 1);
    return number;
}

std::shared_ptr<const std::string> bytesOf(const AppState& app) {
    return app.source ? app.source->sourceBytes : nullptr;
}

}  // namespace

LoadedTextPtr readDroppedFile(const std::string& path, const std::string& separator) {
    std::shared_ptr<const std::string> bytes;
    try {
        bytes = std::make_shared<const std::string>(readWholeFile(path));
    } catch (const std::bad_alloc&) {
    }
    if (!bytes) return makeLoadedText(nullptr, separator, [](LoadedText&) {});
    return makeLoadedText(bytes, separator, [](LoadedText& loaded) {
        loaded.sourceText = textPart(*loaded.sourceBytes);  // GBK: the text is the bytes themselves
    });
}

LoadedTextPtr readAsUtf8(const std::shared_ptr<const std::string>& bytes, const std::string& separator) {
    return makeLoadedText(bytes, separator, [](LoadedText& loaded) {
        if (!loaded.sourceBytes) return;
        const std::string_view text = textPart(*loaded.sourceBytes);
        if (isAscii(text)) {
            loaded.sourceText = text;  // reads the same either way: no copy
        } else {
            loaded.convertedText = utf8ToGbk(text);
            loaded.sourceText = loaded.convertedText;
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

void showLoadedText(AppState& app, HWND list, LoadedTextPtr text) {
    // The list first lets go of the rows it shows, then takes the new ones.
    listClear(list);
    app.source = std::move(text);
    // One message for all rows: the list asks for the cells it shows.
    const size_t rows = app.source ? app.source->segments.size() : 0;
    if (rows) SendMessageA(list, LVM_SETITEMCOUNT, rows, 0);
}

void loadDroppedFile(AppState& app, HWND list, const std::string& path) {
    showLoadedText(app, list, readDroppedFile(path, app.separator));
}

void redecodeAsUtf8(AppState& app, HWND list) {
    showLoadedText(app, list, readAsUtf8(bytesOf(app), app.separator));
}

void loadInBackground(AppState& app, HWND window, UINT done, std::function<LoadedTextPtr()> read) {
    const uint32_t number = ++app.loads.started;
    app.loads.redecodeNext = false;
    auto post = [window, done, number](LoadedTextPtr text) {
        auto handed = std::make_unique<LoadedTextPtr>(std::move(text));
        if (PostMessageA(window, done, number, reinterpret_cast<LPARAM>(handed.get()))) handed.release();
    };
    try {
        if (runInBackground([read, post] { post(read()); })) return;
    } catch (const std::bad_alloc&) {
    }
    post(read());
}

void redecodeInBackground(AppState& app, HWND window, UINT done) {
    if (app.loads.finished != app.loads.started) {
        app.loads.redecodeNext = true;  // the file still loading is the one to read again
        return;
    }
    const std::string separator = app.separator;
    loadInBackground(app, window, done, [bytes = bytesOf(app), separator] { return readAsUtf8(bytes, separator); });
}

void finishBackgroundLoad(AppState& app, HWND window, HWND list, UINT done, WPARAM wp, LPARAM lp) {
    const std::unique_ptr<LoadedTextPtr> handed(reinterpret_cast<LoadedTextPtr*>(lp));
    const auto number = static_cast<uint32_t>(wp);
    if (number != app.loads.started) return;  // a later load is on its way
    app.loads.finished = number;
    showLoadedText(app, list, std::move(*handed));
    if (app.loads.redecodeNext) {
        app.loads.redecodeNext = false;
        redecodeInBackground(app, window, done);
    }
}

void supplyListCell(const AppState& app, NMHDR* request) {
    if (request->code == LVN_GETDISPINFOA) {
        LVITEMA& item = reinterpret_cast<NMLVDISPINFOA*>(request)->item;
        if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
        std::string number;
        const std::string_view text = cellText(app, item.iItem, item.iSubItem, number);
        // Whole characters only, as many as the buffer holds.
        const size_t n = gbk::wholeCharsWithin(text, static_cast<size_t>(item.cchTextMax) - 1);
        std::memcpy(item.pszText, text.data(), n);
        item.pszText[n] = '\0';
    } else if (request->code == LVN_GETDISPINFOW) {
        LVITEMW& item = reinterpret_cast<NMLVDISPINFOW*>(request)->item;
        if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
        std::string number;
        const std::string_view text = cellText(app, item.iItem, item.iSubItem, number);
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
    if (!(request.lvfi.flags & (LVFI_STRING | LVFI_PARTIAL)) || !request.lvfi.psz || !app.source) return -1;
    const std::string_view typed = request.lvfi.psz;
    const size_t count = app.source->segments.size();
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
