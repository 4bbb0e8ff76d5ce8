// Test clipboard monitor: reads the clipboard's text on every change, as a
// clipboard history tool does, and logs each read to a file (UTF-8 lines):
//   clipmon.exe <log-file> polite|greedy
// polite: leaves content alone that is marked for monitors to skip ("skip");
// greedy: reads everything ("read <hex>").
#include <windows.h>
#include <shellapi.h>

#include <string>

#include "tests/tools/hex_text.h"

static std::wstring g_log;
static bool g_polite;

static void logLine(const std::string& line) {
    HANDLE f = CreateFileW(g_log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS, 0,
                           nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    const std::string text = line + "\n";
    DWORD put = 0;
    WriteFile(f, text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
    CloseHandle(f);
}

static bool markedForMonitors() {
    for (const char* name : {"ExcludeClipboardContentFromMonitorProcessing", "Clipboard Viewer Ignore"})
        if (IsClipboardFormatAvailable(RegisterClipboardFormatA(name))) return true;
    return false;
}

static void readClipboard(HWND w) {
    if (g_polite && markedForMonitors()) {
        logLine("skip");
        return;
    }
    for (int i = 0; i < 50 && !OpenClipboard(w); ++i) Sleep(2);
    std::wstring text;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        text = static_cast<const wchar_t*>(GlobalLock(h));
        GlobalUnlock(h);
    }
    CloseClipboard();
    logLine("read " + hex(utf8(text)));
}

static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == WM_CLIPBOARDUPDATE) {
        readClipboard(hwnd);
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 3) return 2;
    g_log = argv[1];
    g_polite = std::wstring(argv[2]) == L"polite";
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.lpszClassName = L"NexluneTestClipboardMonitor";
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, wc.lpszClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, inst, nullptr);
    if (!w || !AddClipboardFormatListener(w)) return 1;
    logLine("ready");
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
