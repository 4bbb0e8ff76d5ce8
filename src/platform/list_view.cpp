#include "platform/list_view.h"

#include <new>
#include <vector>

void listClear(HWND list) { SendMessageA(list, LVM_DELETEALLITEMS, 0, 0); }

bool listGetCell(HWND list, int row, int column, std::string& out) {
    out.clear();
    if (row < 0 || row >= listRowCount(list)) return true;
    try {
        // The control copies at most the buffer less one, and a virtual list's
        // owner stops before a character that does not fit whole: grow until
        // the text ends with room to spare.
        std::vector<char> buf(1024);
        for (;;) {
            LVITEMA item{};
            item.iSubItem = column;
            item.pszText = buf.data();
            item.cchTextMax = static_cast<int>(buf.size());
            const LRESULT n = SendMessageA(list, LVM_GETITEMTEXTA, row, reinterpret_cast<LPARAM>(&item));
            if (n < static_cast<LRESULT>(buf.size()) - 2 || buf.size() > (1u << 30)) {
                out.assign(item.pszText);  // the control may point at its own copy
                return true;
            }
            buf.assign(buf.size() * 2, 0);
        }
    } catch (const std::bad_alloc&) {
        out.clear();
        return false;
    }
}

std::string listGetCell(HWND list, int row, int column) {
    std::string text;
    listGetCell(list, row, column, text);
    return text;
}

int listRowCount(HWND list) { return static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)); }

void listSelectRow(HWND list, int row) {
    if (row < 0) return;
    LVITEMA item{};
    item.stateMask = LVIS_SELECTED;
    item.state = LVIS_SELECTED;
    SendMessageA(list, LVM_SETITEMSTATE, row, reinterpret_cast<LPARAM>(&item));
}

void listEnsureVisible(HWND list, int row) { SendMessageA(list, LVM_ENSUREVISIBLE, row, FALSE); }

int listSelectedRow(HWND list) {
    return static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
}
