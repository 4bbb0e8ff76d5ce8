// Benchmarks under Wine:
//   list   - loading 100,000 segments into a visible item list, row by row
//            with redraw on (measured on a sample and scaled) and as built.
// The paste is measured end to end by tests/bench/bench_e2e.py.
#include "platform/win.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "app/app_state.h"
#include "items/loader_win.h"
#include "platform/list_view.h"
#include "platform/message_pump.h"
#include "skin/skin_format.h"
#include "ui/transparency_win.h"

namespace {

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

struct Window {
    HWND main, list;
    Window() {
        main = CreateWindowExA(0, "STATIC", "bench", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 360, 458, nullptr, nullptr,
                               nullptr, nullptr);
        list = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_SINGLESEL |
                               LVS_SHOWSELALWAYS, 0, 0, 352, 408, main, nullptr, nullptr, nullptr);
        const char* heads[] = {"序号", "复制内容"};
        for (int i = 0; i < 2; ++i) {
            LVCOLUMNA col{};
            col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
            col.pszText = const_cast<char*>(heads[i]);
            col.cx = i ? 280 : 40;
            col.iSubItem = i;
            SendMessageA(list, LVM_INSERTCOLUMNA, i, reinterpret_cast<LPARAM>(&col));
        }
        processPendingEvents();
    }
    ~Window() { DestroyWindow(main); }
};

std::string sampleText(int rows) {
    std::string text;
    for (int i = 0; i < rows; ++i) text += "订单 " + std::to_string(i) + " 客户名称 abc\r\n";
    return text;
}

void benchList() {
    const int total = 100000, sample = 2000;
    {
        Window w;
        const std::string text = sampleText(sample);
        AppState app;
        app.separator = "\r\n";
        const auto t0 = Clock::now();
        // Row by row with redraw on, three operations per row.
        int n = 0;
        for (size_t start = 0; start < text.size();) {
            size_t end = text.find("\r\n", start);
            listAppendRow(w.list);
            listSetCell(w.list, n, 0, std::to_string(n + 1));
            listSetCell(w.list, n, 1, text.substr(start, end - start));
            ++n;
            start = end + 2;
            processPendingEvents();  // let every repaint happen, as a running program would
        }
        const double s = secondsSince(t0);
        std::printf("list, redraw on:  %d rows in %.2f s (%.2f ms/row), 100,000 rows ~ %.0f s\n", n, s,
                    1000 * s / n, s / n * total);
    }
    for (int variant = 0; variant < 3; ++variant) {
        const bool layered = variant == 1, skinned = variant == 2;
        if (skinned) {  // the skin library next to this program, as the program applies it
            using Attach = int(WINAPI*)();
            using AttachRes = int(WINAPI*)(const unsigned char*, int, const char*, int, int, int);
            HMODULE lib = LoadLibraryA("SkinH_EL.dll");
            if (!lib) continue;
            reinterpret_cast<Attach>(reinterpret_cast<void*>(GetProcAddress(lib, "SkinH_Attach")))();
            const std::vector<uint8_t>& skin = builtinSkin(2);
            reinterpret_cast<AttachRes>(reinterpret_cast<void*>(GetProcAddress(lib, "SkinH_AttachRes")))(
                skin.data(), static_cast<int>(skin.size()), "", 0, 0, 0);
        }
        Window w;
        if (layered) setWindowAlpha(w.main, 220);
        AppState app;
        app.separator = "\r\n";
        app.sourceText = sampleText(total);
        const auto t0 = Clock::now();
        fillItemList(app, w.list);
        const double fill = secondsSince(t0);
        UpdateWindow(w.list);
        const double all = secondsSince(t0);
        std::printf("list, as built%s:   %d rows in %.2f s (+%.0f ms first paint)\n", layered ? " (translucent)" : skinned ? " (skinned)" : "",
                    listRowCount(w.list), fill, 1000 * (all - fill));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "all";
    if (what == "list" || what == "all") benchList();
    return 0;
}
