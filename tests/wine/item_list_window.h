// A window with the program's item list in it, for the Win32 tests and the
// benchmarks: it answers the list's questions from its own state, as the
// main window does.
#pragma once
#include "platform/win.h"

#include <string>

#include "app/app_state.h"
#include "items/item_list_win.h"
#include "items/loader_win.h"
#include "platform/list_view.h"

struct ItemListWindow {
    HWND window;
    HWND list;
    AppState app;
    std::string text;

    ItemListWindow() {
        static const ATOM registered = [] {
            WNDCLASSA wc{};
            wc.lpfnWndProc = proc;
            wc.hInstance = GetModuleHandleA(nullptr);
            wc.lpszClassName = "NexluneItemListWindow";
            return RegisterClassA(&wc);
        }();
        (void)registered;
        window = CreateWindowExA(0, "NexluneItemListWindow", "fixture", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 360, 458,
                                 nullptr, nullptr, nullptr, nullptr);
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&app));
        list = createItemList(window, GetModuleHandleA(nullptr), 352, 408);
    }
    ~ItemListWindow() { DestroyWindow(window); }
    ItemListWindow(const ItemListWindow&) = delete;
    ItemListWindow& operator=(const ItemListWindow&) = delete;

    // Shows the segments of a text as a load does.
    bool show(std::string shown, const char* separator) {
        listClear(list);
        text = std::move(shown);
        app.sourceText = text;
        app.separator = separator;
        return fillItemList(app, list);
    }

    static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        LRESULT answer = 0;
        if (msg == WM_NOTIFY)
            if (auto* app = reinterpret_cast<AppState*>(GetWindowLongPtrA(w, GWLP_USERDATA)))
                if (answerItemList(*app, reinterpret_cast<NMHDR*>(lp), answer)) return answer;
        return DefWindowProcA(w, msg, wp, lp);
    }
};

