// A window with the program's item list in it, for the Win32 tests and the
// benchmarks: it answers the list's questions from its own state, as the
// main window does.
#pragma once
#include "platform/win.h"

#include <memory>
#include <string>

#include "app/app_state.h"
#include "items/item_list_win.h"
#include "items/loader_win.h"
#include "platform/list_view.h"

struct ItemListWindow {
    HWND window;
    HWND list;
    AppState app;
    int loadsArrived = 0;  // results of loads made off the window's thread, shown or not

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
        SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        list = createItemList(window, GetModuleHandleA(nullptr), 352, 408);
    }
    ~ItemListWindow() { DestroyWindow(window); }
    ItemListWindow(const ItemListWindow&) = delete;
    ItemListWindow& operator=(const ItemListWindow&) = delete;

    // Shows the segments of a text as a load does.
    bool show(const std::string& text, const char* separator) {
        auto shown = std::make_shared<LoadedText>();
        shown->sourceBytes = std::make_shared<const std::string>(text);
        shown->sourceText = *shown->sourceBytes;
        if (!shown->segments.build(shown->sourceText, separator)) return false;
        showLoadedText(app, list, shown);
        return true;
    }

    // The message that brings a load made off the window's thread.
    static constexpr UINT kLoaded = WM_APP + 1;

    static LRESULT CALLBACK proc(HWND w, UINT msg, WPARAM wp, LPARAM lp) {
        auto* self = reinterpret_cast<ItemListWindow*>(GetWindowLongPtrA(w, GWLP_USERDATA));
        LRESULT answer = 0;
        if (self && msg == WM_NOTIFY && answerItemList(self->app, reinterpret_cast<NMHDR*>(lp), answer))
            return answer;
        if (self && msg == kLoaded) {
            ++self->loadsArrived;
            finishBackgroundLoad(self->app, w, self->list, kLoaded, wp, lp);
            return 0;
        }
        return DefWindowProcA(w, msg, wp, lp);
    }
};

