#include "items/item_list_win.h"

#include "items/loader_win.h"
#include "platform/dpi.h"

HWND createItemList(HWND parent, HINSTANCE instance, int width, int height) {
    // LVS_OWNERDATA: rows are only a count; cells are asked for when needed.
    const HWND list = CreateWindowExA(WS_EX_CLIENTEDGE, WC_LISTVIEWA, "",
                                      WS_CHILD | WS_VISIBLE | WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL |
                                          LVS_SHOWSELALWAYS | LVS_EDITLABELS | LVS_OWNERDATA,
                                      0, 0, scaledForDpi(width), scaledForDpi(height), parent, nullptr, instance,
                                      nullptr);
    if (!list) return nullptr;
    SendMessageA(list, WM_SETFONT, reinterpret_cast<WPARAM>(dialogFont()), FALSE);
    const DWORD ex = LVS_EX_FULLROWSELECT | LVS_EX_SUBITEMIMAGES | LVS_EX_INFOTIP;
    SendMessageA(list, LVM_SETEXTENDEDLISTVIEWSTYLE, ex, ex);
    SendMessageA(list, LVM_SETTEXTCOLOR, 0, RGB(0, 0, 0));
    SendMessageA(list, LVM_SETTEXTBKCOLOR, 0, RGB(255, 255, 255));
    SendMessageA(list, LVM_SETBKCOLOR, 0, RGB(255, 255, 255));
    const struct {
        const char* heading;
        int width;
    } columns[] = {{"序号", 40}, {"复制内容", 280}};
    for (int i = 0; i < 2; ++i) {
        LVCOLUMNA col{};
        col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
        col.pszText = const_cast<char*>(columns[i].heading);
        col.cx = scaledForDpi(columns[i].width);
        col.iSubItem = i;
        SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
    }
    return list;
}

bool answerItemList(const AppState& app, NMHDR* notification, LRESULT& result) {
    switch (notification->code) {
        case LVN_GETDISPINFOA:
        case LVN_GETDISPINFOW:
            supplyListCell(app, notification);
            result = 0;
            return true;
        case LVN_ODFINDITEMA:
            result = findListRow(app, *reinterpret_cast<const NMLVFINDITEMA*>(notification));
            return true;
        case LVN_ODFINDITEMW:
            result = -1;
            return true;
        default:
            return false;
    }
}
