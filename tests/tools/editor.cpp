// Test editor: a window with one multi-line edit control. Every change of its
// text is written, as UTF-8, to the file named on the command line.
// editor.exe <out-file> <x> <y> <width> <height> [readonly]
// readonly: the edit ignores Ctrl+V, as a window that does not paste.
// Below the edit lies a strip of the window itself, 40 pixels high: a click
// there makes the editor the foreground window without moving the caret
// (and two such clicks make no double click that selects a word).
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <string>

#include "tests/tools/hex_text.h"

static std::wstring g_outPath;
static HWND g_edit;

static void saveText() {
    const int n = GetWindowTextLengthW(g_edit);
    std::wstring text(n + 1, L'\0');
    GetWindowTextW(g_edit, &text[0], n + 1);
    text.resize(n);
    const std::string bytes = utf8(text);
    const std::wstring tmp = g_outPath + L".tmp";
    HANDLE f = CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return;
    DWORD put = 0;
    WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &put, nullptr);
    CloseHandle(f);
    MoveFileExW(tmp.c_str(), g_outPath.c_str(), MOVEFILE_REPLACE_EXISTING);
}

static LRESULT CALLBACK proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    switch (msg) {
        case WM_COMMAND:
            if (HIWORD(wp) == EN_CHANGE) saveText();
            return 0;
        case WM_SETFOCUS:
            SetFocus(g_edit);
            return 0;
        case WM_DESTROY:
            PostQuitMessage(0);
            return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

int WINAPI WinMain(HINSTANCE inst, HINSTANCE, LPSTR, int) {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (argc < 6) return 2;
    g_outPath = argv[1];
    WNDCLASSW wc{};
    wc.lpfnWndProc = proc;
    wc.hInstance = inst;
    wc.lpszClassName = L"NexluneTestEditor";
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    RegisterClassW(&wc);
    HWND w = CreateWindowExW(0, wc.lpszClassName, L"Test editor", WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                             _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4]), _wtoi(argv[5]), nullptr, nullptr,
                             inst, nullptr);
    RECT rc;
    GetClientRect(w, &rc);
    const DWORD readOnly = argc > 6 && std::wstring(argv[6]) == L"readonly" ? ES_READONLY : 0;
    g_edit = CreateWindowExW(0, L"EDIT", L"", WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL |
                             ES_WANTRETURN | readOnly, 0, 0, rc.right, rc.bottom - 40, w, nullptr, inst, nullptr);
    SendMessageW(g_edit, WM_SETFONT, reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT)), FALSE);
    SendMessageW(g_edit, EM_SETLIMITTEXT, 0, 0);
    saveText();
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    return 0;
}
