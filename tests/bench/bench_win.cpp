// Benchmarks under Wine:
//   list [ROWS...]  - loading files into the item list, as a drop loads them:
//                     100,000 and 1,000,000 rows and a 100 MB file, plain,
//                     translucent and skinned; the time until the list has its
//                     count and has painted its first rows.
// The loading of the real program (time and memory) is measured end to end by
// tests/bench/bench_e2e.py.
#include "platform/win.h"

#include <chrono>
#include <cstdio>
#include <string>

#include "platform/files.h"
#include "platform/message_pump.h"
#include "skin/skin_format.h"
#include "tests/wine/item_list_window.h"
#include "ui/transparency_win.h"

namespace {

using Clock = std::chrono::steady_clock;
double secondsSince(Clock::time_point t0) { return std::chrono::duration<double>(Clock::now() - t0).count(); }

std::string tempFile(const char* name) {
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    return std::string(dir) + name;
}

// A GBK file of the given rows, or of about the given megabytes of rows.
std::string writeSample(long rows, long megabytes, double& fileMb) {
    std::string text;
    for (long i = 0; megabytes ? text.size() < (static_cast<size_t>(megabytes) << 20) : i < rows; ++i)
        text += "订单 " + std::to_string(i) + " 客户名称 abc\r\n";
    const std::string path = tempFile("nexlune_bench.txt");
    writeWholeFile(path, text);
    fileMb = text.size() / 1048576.0;
    return path;
}

void skinThisThread() {
    using Attach = int(WINAPI*)();
    using AttachRes = int(WINAPI*)(const unsigned char*, int, const char*, int, int, int);
    HMODULE lib = LoadLibraryA("SkinH_EL.dll");
    if (!lib) return;
    reinterpret_cast<Attach>(reinterpret_cast<void*>(GetProcAddress(lib, "SkinH_Attach")))();
    const std::vector<uint8_t>& skin = builtinSkin(2);
    reinterpret_cast<AttachRes>(reinterpret_cast<void*>(GetProcAddress(lib, "SkinH_AttachRes")))(
        skin.data(), static_cast<int>(skin.size()), "", 0, 0, 0);
}

void benchList() {
    const struct {
        const char* name;
        long rows, megabytes;
    } files[] = {{"100,000 rows", 100000, 0}, {"1,000,000 rows", 1000000, 0}, {"100 MB", 0, 100}};
    for (const auto& file : files) {
        double fileMb = 0;
        const std::string path = writeSample(file.rows, file.megabytes, fileMb);
        for (int variant = 0; variant < 3; ++variant) {
            const bool layered = variant == 1, skinned = variant == 2;
            if (skinned) skinThisThread();
            ItemListWindow w;
            if (layered) setWindowAlpha(w.window, 220);
            w.app.separator = "\r\n";
            processPendingEvents();
            const auto t0 = Clock::now();
            loadDroppedFile(w.app, w.list, path);
            UpdateWindow(w.list);  // the first rows painted
            const double took = secondsSince(t0);
            std::printf("%-15s %5.1f MB  %-12s %8d rows  %6.3f s\n", file.name, fileMb,
                        layered ? "translucent" : skinned ? "skinned" : "plain", listRowCount(w.list), took);
        }
        DeleteFileA(path.c_str());
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string what = argc > 1 ? argv[1] : "all";
    if (what == "list" || what == "all") benchList();
    return 0;
}
