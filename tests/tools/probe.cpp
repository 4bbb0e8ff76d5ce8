// Test probe: reads the running Nexlune from outside, as another program
// would, and prints what it finds as UTF-8 lines.
//   probe close | title | rows | count | selected | rowpoint N | pid | cputime | exstyle | popup
//   probe setclip TEXT | getclip | holdclip MS | clipformats
//   probe watchtitle MS                 (every title the main window shows during MS ms)
//   probe pressbench N | streambench CHARS   (the hotkey pressed from here, the test editor timed)
//   probe settingscount | settings | closesettings | ctlpoint ID | checked ID | ctltext ID
//         | clickctl ID | imechar ID TEXT   (the settings window)
//   probe boxes | boxbutton ID   (message boxes of Nexlune)
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/tools/hex_text.h"

static void out(const std::string& s) {
    DWORD put;
    std::string line = s + "\n";
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), line.data(), static_cast<DWORD>(line.size()), &put, nullptr);
}

static std::string utf8(const std::wstring& w) {
    int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
    std::string s(n, '\0');
    WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr, nullptr);
    return s;
}

static std::wstring wide(const std::string& u) {
    int n = MultiByteToWideChar(CP_UTF8, 0, u.data(), static_cast<int>(u.size()), nullptr, 0);
    std::wstring w(n, L'\0');
    MultiByteToWideChar(CP_UTF8, 0, u.data(), static_cast<int>(u.size()), &w[0], n);
    return w;
}

static double nowMs() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

// Length of the test editor's text, asked as any program would ask.
static long editorLength(HWND edit) {
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &n)) return -1;
    return static_cast<long>(n);
}

static void pressHotkey() {
    keybd_event(VK_TAB, 0, 0, 0);
    keybd_event(VK_TAB, 0, KEYEVENTF_KEYUP, 0);
}

// Waits until the editor's text is at least length long; the time that took.
static double waitEditorLength(HWND edit, long length, double timeoutMs) {
    const double t0 = nowMs();
    while (editorLength(edit) < length) {
        if (nowMs() - t0 > timeoutMs) return -1;
        Sleep(1);
    }
    return nowMs() - t0;
}

static HWND mainWindow() { return FindWindowA("Vorpa.Nexlune.Main", nullptr); }
static HWND listOf(HWND main) { return FindWindowExA(main, nullptr, "SysListView32", nullptr); }

// Reads a list-view cell of another process through memory allocated there.
static std::string remoteCell(HWND list, int row, int col) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!proc) return "";
    const SIZE_T chars = 1 << 20;
    auto* remote = static_cast<char*>(
        VirtualAllocEx(proc, nullptr, sizeof(LVITEMW) + chars * 2, MEM_COMMIT, PAGE_READWRITE));
    LVITEMW item{};
    item.iSubItem = col;
    item.pszText = reinterpret_cast<wchar_t*>(remote + sizeof(LVITEMW));
    item.cchTextMax = static_cast<int>(chars);
    WriteProcessMemory(proc, remote, &item, sizeof item, nullptr);
    LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote));
    std::wstring text(n, L'\0');
    if (n > 0) ReadProcessMemory(proc, remote + sizeof(LVITEMW), &text[0], n * 2, nullptr);
    VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    CloseHandle(proc);
    return utf8(text);
}

static bool remoteRowRect(HWND list, int row, RECT& rc) {
    DWORD pid = 0;
    GetWindowThreadProcessId(list, &pid);
    HANDLE proc = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!proc) return false;
    void* remote = VirtualAllocEx(proc, nullptr, sizeof(RECT), MEM_COMMIT, PAGE_READWRITE);
    RECT in{};
    in.left = LVIR_BOUNDS;
    WriteProcessMemory(proc, remote, &in, sizeof in, nullptr);
    bool ok = SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote)) != 0;
    ReadProcessMemory(proc, remote, &rc, sizeof rc, nullptr);
    VirtualFreeEx(proc, remote, 0, MEM_RELEASE);
    CloseHandle(proc);
    return ok;
}

static bool setClipboard(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
    memcpy(GlobalLock(h), text.c_str(), (text.size() + 1) * 2);
    GlobalUnlock(h);
    SetClipboardData(CF_UNICODETEXT, h);
    CloseClipboard();
    return true;
}

struct BoxSearch {
    DWORD pid;
    std::vector<HWND> boxes;
};

static BOOL CALLBACK collectBoxes(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<BoxSearch*>(lp);
    DWORD pid = 0;
    char cls[16] = {};
    GetWindowThreadProcessId(w, &pid);
    GetClassNameA(w, cls, sizeof cls);
    if (pid == f->pid && std::string(cls) == "#32770" && IsWindowVisible(w)) f->boxes.push_back(w);
    return TRUE;
}

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    const std::string cmd = argv[1];
    if (cmd == "setclip" && argc > 2) return setClipboard(wide(argv[2])) ? 0 : 1;
    if (cmd == "getclip") {
        if (!OpenClipboard(nullptr)) return 1;
        HANDLE h = GetClipboardData(CF_UNICODETEXT);
        std::wstring w = h ? static_cast<const wchar_t*>(GlobalLock(h)) : L"";
        if (h) GlobalUnlock(h);
        CloseClipboard();
        out(hex(utf8(w)));
        return 0;
    }
    if (cmd == "holdclip" && argc > 2) {
        // Keeps the clipboard open, as a clipboard manager might, for MS ms.
        if (!OpenClipboard(nullptr)) return 1;
        out("held");
        Sleep(atoi(argv[2]));
        CloseClipboard();
        return 0;
    }

    if (cmd == "clipformats") {
        // The pasted text as each format gives it: raw CF_TEXT bytes, the
        // CF_UNICODETEXT characters, the CF_LOCALE beside the system's.
        if (!OpenClipboard(nullptr)) return 1;
        if (HANDLE h = GetClipboardData(CF_TEXT)) {
            out("text " + hex(static_cast<const char*>(GlobalLock(h))));
            GlobalUnlock(h);
        }
        if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
            out("unicode " + hex(utf8(static_cast<const wchar_t*>(GlobalLock(h)))));
            GlobalUnlock(h);
        }
        if (HANDLE h = GetClipboardData(CF_LOCALE)) {
            char buf[64];
            snprintf(buf, sizeof buf, "locale %lx system %lx", *static_cast<const unsigned long*>(GlobalLock(h)),
                     static_cast<unsigned long>(GetSystemDefaultLCID()));
            GlobalUnlock(h);
            out(buf);
        }
        CloseClipboard();
        return 0;
    }
    if (cmd == "watchtitle" && argc > 2) {
        const double end = nowMs() + atoi(argv[2]);
        const double t0 = nowMs();
        std::wstring last = L"\1";
        while (nowMs() < end) {
            wchar_t buf[512] = {};
            if (HWND main = mainWindow()) GetWindowTextW(main, buf, 512);
            if (last != buf) {
                last = buf;
                out(std::to_string(static_cast<long>(nowMs() - t0)) + " " + hex(utf8(buf)));
            }
            Sleep(2);
        }
        return 0;
    }
    if ((cmd == "pressbench" || cmd == "streambench") && argc > 2) {
        HWND editor = FindWindowA("NexluneTestEditor", nullptr);
        HWND edit = editor ? FindWindowExA(editor, nullptr, "Edit", nullptr) : nullptr;
        if (!edit) return 1;
        if (cmd == "streambench") {
            // Until the text has grown by CHARS, or has not grown for 2 s.
            const long start = editorLength(edit);
            const double t0 = nowMs();
            pressHotkey();
            double first = -1, last = -1;
            long length = start;
            for (double grew = t0; length < start + atol(argv[2]) && nowMs() - grew < 2000; Sleep(1)) {
                const long now = editorLength(edit);
                if (now == length) continue;
                length = now;
                grew = nowMs();
                last = grew - t0;
                if (first < 0) first = last;
            }
            out("first " + std::to_string(first) + " last " + std::to_string(last) + " chars " +
                std::to_string(length - start));
            return 0;
        }
        std::vector<double> took;
        for (int i = 0; i < atoi(argv[2]); ++i) {
            const long start = editorLength(edit);
            pressHotkey();
            took.push_back(waitEditorLength(edit, start + 1, 3000));
            Sleep(5);
        }
        for (double ms : took) out(std::to_string(ms));
        return 0;
    }

    if (cmd == "settingscount") {
        int n = 0;
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "Vorpa.Nexlune.Settings", nullptr)) != nullptr;) ++n;
        out(std::to_string(n));
        return 0;
    }
    if (cmd == "settings" || cmd == "closesettings" || cmd == "ctlpoint" || cmd == "checked" || cmd == "ctltext" ||
        cmd == "clickctl" || cmd == "imechar") {
        HWND win = FindWindowA("Vorpa.Nexlune.Settings", nullptr);
        if (!win) {
            out("none");
            return 1;
        }
        if (cmd == "closesettings") {
            PostMessageW(win, WM_CLOSE, 0, 0);
            return 0;
        }
        if (cmd == "settings") {
            RECT rc;
            GetWindowRect(win, &rc);
            wchar_t title[128] = {};
            GetWindowTextW(win, title, 128);
            char buf[160];
            snprintf(buf, sizeof buf, "%ld %ld %ld %ld %08lx %08lx %d ", rc.left, rc.top, rc.right - rc.left,
                     rc.bottom - rc.top, static_cast<unsigned long>(GetWindowLongW(win, GWL_STYLE)),
                     static_cast<unsigned long>(GetWindowLongW(win, GWL_EXSTYLE)),
                     GetWindow(win, GW_OWNER) == mainWindow() ? 1 : 0);
            out(buf + hex(utf8(title)));
            return 0;
        }
        HWND ctl = GetDlgItem(win, atoi(argv[2]));
        if (!ctl) return 1;
        if (cmd == "clickctl") {
            // What a click on the control tells its window, without moving the
            // pointer (and with it the keyboard focus) away from the editor.
            PostMessageW(win, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ctl), BN_CLICKED), reinterpret_cast<LPARAM>(ctl));
        } else if (cmd == "imechar" && argc > 3) {
            // Characters as an input method hands its result to the control.
            for (wchar_t c : wide(argv[3])) SendMessageW(ctl, WM_IME_CHAR, c, 1);
        } else if (cmd == "ctlpoint") {
            RECT rc;
            GetWindowRect(ctl, &rc);
            out(std::to_string((rc.left + rc.right) / 2) + " " + std::to_string((rc.top + rc.bottom) / 2));
        } else if (cmd == "checked") {
            out(std::to_string(SendMessageW(ctl, BM_GETCHECK, 0, 0)));
        } else {
            // WM_GETTEXT itself: GetWindowText of another process's control
            // gives only the text it was created with.
            wchar_t text[1024] = {};
            SendMessageW(ctl, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
            out(hex(utf8(text)));
        }
        return 0;
    }
    if (cmd == "boxes" || cmd == "boxbutton") {
        // Visible message boxes of the process that owns the main window.
        BoxSearch f{0, {}};
        GetWindowThreadProcessId(mainWindow(), &f.pid);
        EnumWindows(collectBoxes, reinterpret_cast<LPARAM>(&f));
        if (cmd == "boxes") {
            out(std::to_string(f.boxes.size()));
            for (HWND b : f.boxes) {
                wchar_t title[256] = {}, text[1024] = {};
                GetWindowTextW(b, title, 256);
                GetDlgItemTextW(b, 0xFFFF, text, 1024);
                HWND owner = GetWindow(b, GW_OWNER);
                char cls[64] = {};
                if (owner) GetClassNameA(owner, cls, sizeof cls);
                out(hex(utf8(title)) + " " + hex(utf8(text)) + " " + (owner ? cls : "-"));
            }
            return 0;
        }
        if (f.boxes.empty()) return 1;
        HWND button = GetDlgItem(f.boxes[0], atoi(argv[2]));
        if (!button) return 1;
        RECT rc;
        GetWindowRect(button, &rc);
        out(std::to_string((rc.left + rc.right) / 2) + " " + std::to_string((rc.top + rc.bottom) / 2));
        return 0;
    }

    HWND main = mainWindow();
    if (!main) {
        out("none");
        return 1;
    }
    HWND list = listOf(main);
    if (cmd == "close") {
        PostMessageW(main, WM_CLOSE, 0, 0);
    } else if (cmd == "title") {
        wchar_t buf[512] = {};
        GetWindowTextW(main, buf, 512);
        out(utf8(buf));
    } else if (cmd == "rows") {
        const int n = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        out(std::to_string(n));
        for (int i = 0; i < n; ++i) out(hex(remoteCell(list, i, 0)) + " " + hex(remoteCell(list, i, 1)));
    } else if (cmd == "count") {
        out(std::to_string(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0)));
    } else if (cmd == "selected") {
        out(std::to_string(SendMessageW(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED)));
    } else if (cmd == "rowpoint" && argc > 2) {
        RECT rc;
        if (!remoteRowRect(list, atoi(argv[2]), rc)) return 1;
        POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        if (pt.x > 150) pt.x = 150;
        ClientToScreen(list, &pt);
        out(std::to_string(pt.x) + " " + std::to_string(pt.y));
    } else if (cmd == "listpoint") {  // a point in the list below all rows
        RECT rc;
        GetWindowRect(list, &rc);
        out(std::to_string(rc.left + 100) + " " + std::to_string(rc.bottom - 30));
    } else if (cmd == "rect") {
        RECT rc;
        GetWindowRect(main, &rc);
        out(std::to_string(rc.left) + " " + std::to_string(rc.top) + " " + std::to_string(rc.right - rc.left) + " " +
            std::to_string(rc.bottom - rc.top));
    } else if (cmd == "style") {
        char buf[64];
        snprintf(buf, sizeof buf, "%08lx %08lx %08lx", static_cast<unsigned long>(GetWindowLongW(main, GWL_STYLE)),
                 static_cast<unsigned long>(GetWindowLongW(main, GWL_EXSTYLE)),
                 static_cast<unsigned long>(GetWindowLongW(list, GWL_STYLE)));
        out(buf);
    } else if (cmd == "pid" || cmd == "cputime") {
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        if (cmd == "pid") {
            out(std::to_string(pid));
            return 0;
        }
        HANDLE proc = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
        FILETIME c, e, k, u;
        if (!proc || !GetProcessTimes(proc, &c, &e, &k, &u)) return 1;
        auto ms = [](FILETIME f) { return ((static_cast<unsigned long long>(f.dwHighDateTime) << 32) | f.dwLowDateTime) / 10000; };
        out(std::to_string(ms(k) + ms(u)));
        CloseHandle(proc);
    } else if (cmd == "popup") {
        HWND menu = FindWindowA("#32768", nullptr);
        if (!menu || !IsWindowVisible(menu)) {
            out("none");
            return 1;
        }
        RECT rc;
        GetWindowRect(menu, &rc);
        out(std::to_string(rc.left) + " " + std::to_string(rc.top) + " " + std::to_string(rc.right - rc.left) + " " +
            std::to_string(rc.bottom - rc.top));
    } else {
        return 2;
    }
    return 0;
}
