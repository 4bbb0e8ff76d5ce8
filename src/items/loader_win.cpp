#include "items/loader_win.h"

#include <climits>
#include <cstring>
#include <new>
#include <vector>

#include "base/gbk_text.h"
#include "items/segments.h"
#include "platform/bound.h"
#include "platform/files.h"
#include "platform/list_view.h"

namespace {

// Rebuilds the list from sourceText. Memory running out anywhere in the load
// ends as an unreadable file does: empty bytes, empty text, empty list.
template <typename MakeText>
void rebuild(AppState& app, HWND list, MakeText makeText) {
    try {
        makeText();
        listClear(list);
        fillItemList(app, list);
    } catch (const std::bad_alloc&) {
        std::string().swap(app.sourceBytes);
        std::string().swap(app.sourceText);
        listClear(list);
    }
}

}  // namespace

void loadDroppedFile(AppState& app, HWND list, const std::string& path) {
    rebuild(app, list, [&] {
        std::string().swap(app.sourceText);
        app.sourceBytes = readWholeFile(path);
        const void* zero = std::memchr(app.sourceBytes.data(), 0, app.sourceBytes.size());
        const size_t textLength =
            zero ? static_cast<const char*>(zero) - app.sourceBytes.data() : app.sourceBytes.size();
        app.sourceText.assign(app.sourceBytes, 0, textLength);
    });
}

void redecodeAsUtf8(AppState& app, HWND list) {
    rebuild(app, list, [&] { app.sourceText = utf8ToGbk(app.sourceBytes); });
}

std::string utf8ToGbk(const std::string& bytes) {
    if (bytes.empty() || bytes.size() > INT_MAX) return "";
    const int n = static_cast<int>(bytes.size());
    const int w = bound::bound_MultiByteToWideChar()(CP_UTF8, 0, bytes.data(), n, nullptr, 0);
    if (w <= 0 || w == INT_MAX) return "";
    std::vector<wchar_t> wide(static_cast<size_t>(w) + 1, L'\0');
    bound::bound_MultiByteToWideChar()(CP_UTF8, 0, bytes.data(), n, wide.data(), w);
    const int m = bound::bound_WideCharToMultiByte()(936, 0, wide.data(), w + 1, nullptr, 0, nullptr, nullptr);
    if (m <= 0) return "";
    std::vector<char> gbk(static_cast<size_t>(m), '\0');
    bound::bound_WideCharToMultiByte()(936, 0, wide.data(), w + 1, gbk.data(), m, nullptr, nullptr);
    return std::string(gbk.data(), strnlen(gbk.data(), gbk.size()));
}

void fillItemList(AppState& app, HWND list) {
    const std::vector<std::string_view> segments = splitSegments(app.sourceText, app.separator);
    // Row by row as always, but without repainting after each of the three
    // operations per row: a visible list repaints for every row otherwise,
    // which turns a long file into minutes of loading.
    const ScopedRedrawOff quiet(list);
    SendMessageA(list, LVM_SETITEMCOUNT, segments.size(), 0);
    for (size_t i = 0; i < segments.size(); ++i) {
        const int row = listAppendRow(list);
        listSetCell(list, row, 0, gbk::decimal(static_cast<long long>(i) + 1));
        listSetCell(list, row, 1, segments[i]);
    }
}
