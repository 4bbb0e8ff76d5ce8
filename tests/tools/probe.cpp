// Test probe: reads and drives the running Nexlune from outside, as another
// program would, and answers in UTF-8 lines. Texts travel as hex.
//   probe serve          answers one command per line on standard input,
//                        each answer ended by a line "."
//   probe COMMAND ARGS   answers one command and ends
// Nexlune's main window:
//   close | terminate | title | rows | count | selected | rowpoint N | listpoint | rect | style | pid | cputime | popup
//   cell ROW COLUMN | scrollto ROW | layout | comctl
//   watchtitle MS [QUIET]  every title it shows during MS ms (or until it has
//                        stood still for QUIET ms), with the time
// The clipboard:
//   setclip HEX | getclip | holdclip MS | clipformats
// The settings window:
//   settingscount | settings | closesettings | ctlpoint ID | ctlsize ID | checked ID | ctltext ID | clickctl ID
//   imechar ID HEX
// Message boxes of Nexlune, the foreground window, the test editor:
//   boxes | boxwindows | boxbutton ID | foreground | cleareditor
// A file held open without sharing for MS ms (says "held" once it is):
//   holdfile HEX-PATH MS
// Nexlune's thread: sync (returns once everything posted to it before has
// been handled), paintnow (its windows painted now)
//   pressbench N | streambench CHARS   (the hotkey pressed from here, the editor timed)
#include <windows.h>
#include <commctrl.h>
#include <tlhelp32.h>

#include <cstdio>
#include <string>
#include <vector>

#include "tests/tools/hex_text.h"

namespace {

std::vector<std::string> g_out;  // the answer being built

void out(const std::string& line) { g_out.push_back(line); }

void flushAnswer(bool withEnd) {
    std::string text;
    for (const std::string& line : g_out) text += line + "\n";
    if (withEnd) text += ".\n";
    g_out.clear();
    DWORD put;
    WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), text.data(), static_cast<DWORD>(text.size()), &put, nullptr);
}

std::string numbers(std::initializer_list<long> values) {
    std::string s;
    for (long v : values) s += (s.empty() ? "" : " ") + std::to_string(v);
    return s;
}

double nowMs() {
    static LARGE_INTEGER freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER t;
    QueryPerformanceCounter(&t);
    return 1000.0 * static_cast<double>(t.QuadPart) / static_cast<double>(freq.QuadPart);
}

HWND mainWindow() { return FindWindowA("Vorpa.Nexlune.Main", nullptr); }
HWND listOf(HWND main) { return FindWindowExA(main, nullptr, "SysListView32", nullptr); }
HWND settingsWindow() { return FindWindowA("Vorpa.Nexlune.Settings", nullptr); }

HWND editorEdit() {
    HWND editor = FindWindowA("NexluneTestEditor", nullptr);
    return editor ? FindWindowExA(editor, nullptr, "Edit", nullptr) : nullptr;
}

// Length of the test editor's text, asked as any program would ask.
long editorLength(HWND edit) {
    DWORD_PTR n = 0;
    if (!SendMessageTimeoutW(edit, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &n)) return -1;
    return static_cast<long>(n);
}

// A block of memory in another process, for messages whose answer is written
// through a pointer.
class RemoteBuffer {
public:
    RemoteBuffer(HWND window, size_t size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) at_ = static_cast<char*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE));
    }
    ~RemoteBuffer() {
        if (at_) VirtualFreeEx(process_, at_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    RemoteBuffer(const RemoteBuffer&) = delete;
    RemoteBuffer& operator=(const RemoteBuffer&) = delete;
    char* at() const { return at_; }
    void write(size_t offset, const void* bytes, size_t n) { WriteProcessMemory(process_, at_ + offset, bytes, n, nullptr); }
    void read(size_t offset, void* bytes, size_t n) { ReadProcessMemory(process_, at_ + offset, bytes, n, nullptr); }

private:
    HANDLE process_ = nullptr;
    char* at_ = nullptr;
};

// A list-view cell of another process.
std::string remoteCell(HWND list, int row, int col) {
    const size_t chars = 1 << 20;
    RemoteBuffer remote(list, sizeof(LVITEMW) + chars * 2);
    if (!remote.at()) return "";
    LVITEMW item{};
    item.iSubItem = col;
    item.pszText = reinterpret_cast<wchar_t*>(remote.at() + sizeof(LVITEMW));
    item.cchTextMax = static_cast<int>(chars);
    remote.write(0, &item, sizeof item);
    const LRESULT n = SendMessageW(list, LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(remote.at()));
    std::wstring text(n, L'\0');
    if (n > 0) remote.read(sizeof(LVITEMW), &text[0], n * 2);
    return utf8(text);
}

bool remoteRowRect(HWND list, int row, RECT& rc) {
    RemoteBuffer remote(list, sizeof(RECT));
    if (!remote.at()) return false;
    RECT in{};
    in.left = LVIR_BOUNDS;
    remote.write(0, &in, sizeof in);
    const bool ok = SendMessageW(list, LVM_GETITEMRECT, row, reinterpret_cast<LPARAM>(remote.at())) != 0;
    remote.read(0, &rc, sizeof rc);
    return ok;
}

std::string windowRect(HWND w) {
    RECT rc;
    GetWindowRect(w, &rc);
    return numbers({rc.left, rc.top, rc.right - rc.left, rc.bottom - rc.top});
}

std::string center(HWND w) {
    RECT rc;
    GetWindowRect(w, &rc);
    return numbers({(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
}

std::string className(HWND w) {
    char cls[64] = {};
    if (w) GetClassNameA(w, cls, sizeof cls);
    return cls;
}

std::string textOf(HWND w) {
    wchar_t text[1024] = {};
    // WM_GETTEXT itself: GetWindowText of another process's control gives
    // only the text it was created with.
    SendMessageW(w, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return utf8(text);
}

void pressHotkey() {
    keybd_event(VK_TAB, 0, 0, 0);
    keybd_event(VK_TAB, 0, KEYEVENTF_KEYUP, 0);
}

struct BoxSearch {
    DWORD pid;
    bool hiddenToo;
    std::vector<HWND> boxes;
};

BOOL CALLBACK collectBoxes(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<BoxSearch*>(lp);
    DWORD pid = 0;
    GetWindowThreadProcessId(w, &pid);
    if (pid == f->pid && className(w) == "#32770" && (IsWindowVisible(w) || f->hiddenToo)) f->boxes.push_back(w);
    return TRUE;
}

// Nexlune's message boxes on the screen; with hiddenToo also those that are
// off the screen but not yet destroyed.
std::vector<HWND> nexluneBoxes(bool hiddenToo = false) {
    BoxSearch f{0, hiddenToo, {}};
    GetWindowThreadProcessId(mainWindow(), &f.pid);
    if (f.pid) EnumWindows(collectBoxes, reinterpret_cast<LPARAM>(&f));
    return f.boxes;
}

int clipboardCommand(const std::string& cmd, const std::vector<std::string>& a) {
    if (cmd == "setclip" && a.size() > 1) {
        const std::wstring text = wide(unhex(a[1]));
        if (!OpenClipboard(nullptr)) return 1;
        EmptyClipboard();
        HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * 2);
        memcpy(GlobalLock(h), text.c_str(), (text.size() + 1) * 2);
        GlobalUnlock(h);
        SetClipboardData(CF_UNICODETEXT, h);
        CloseClipboard();
        return 0;
    }
    if (cmd == "holdclip" && a.size() > 1) {
        // Keeps the clipboard open, as a clipboard manager might, for MS ms.
        if (!OpenClipboard(nullptr)) return 1;
        std::printf("held\n");
        std::fflush(stdout);
        Sleep(atoi(a[1].c_str()));
        CloseClipboard();
        return 0;
    }
    if (!OpenClipboard(nullptr)) return 1;
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        out((cmd == "getclip" ? "" : "unicode ") + hex(utf8(static_cast<const wchar_t*>(GlobalLock(h)))));
        GlobalUnlock(h);
    }
    if (cmd == "clipformats") {
        // The pasted text as each format gives it: raw CF_TEXT bytes, the
        // CF_UNICODETEXT characters, the CF_LOCALE beside the system's.
        if (HANDLE h = GetClipboardData(CF_TEXT)) {
            out("text " + hex(static_cast<const char*>(GlobalLock(h))));
            GlobalUnlock(h);
        }
        if (HANDLE h = GetClipboardData(CF_LOCALE)) {
            char buf[64];
            snprintf(buf, sizeof buf, "locale %lx system %lx", *static_cast<const unsigned long*>(GlobalLock(h)),
                     static_cast<unsigned long>(GetSystemDefaultLCID()));
            GlobalUnlock(h);
            out(buf);
        }
    }
    CloseClipboard();
    return 0;
}

int settingsCommand(const std::string& cmd, const std::vector<std::string>& a) {
    if (cmd == "settingscount") {
        int n = 0;
        for (HWND w = nullptr; (w = FindWindowExA(nullptr, w, "Vorpa.Nexlune.Settings", nullptr)) != nullptr;) ++n;
        out(std::to_string(n));
        return 0;
    }
    HWND win = settingsWindow();
    if (!win) {
        out("none");
        return 1;
    }
    if (cmd == "closesettings") {
        PostMessageW(win, WM_CLOSE, 0, 0);
        return 0;
    }
    if (cmd == "settings") {
        char buf[64];
        snprintf(buf, sizeof buf, " %08lx %08lx %d ", static_cast<unsigned long>(GetWindowLongW(win, GWL_STYLE)),
                 static_cast<unsigned long>(GetWindowLongW(win, GWL_EXSTYLE)),
                 GetWindow(win, GW_OWNER) == mainWindow() ? 1 : 0);
        wchar_t title[128] = {};
        GetWindowTextW(win, title, 128);
        out(windowRect(win) + buf + hex(utf8(title)));
        return 0;
    }
    HWND ctl = a.size() > 1 ? GetDlgItem(win, atoi(a[1].c_str())) : nullptr;
    if (!ctl) return 1;
    if (cmd == "ctlpoint") {
        out(center(ctl));
    } else if (cmd == "ctlsize") {
        RECT rc;
        GetWindowRect(ctl, &rc);
        out(numbers({rc.right - rc.left, rc.bottom - rc.top}));
    } else if (cmd == "checked") {
        out(std::to_string(SendMessageW(ctl, BM_GETCHECK, 0, 0)));
    } else if (cmd == "ctltext") {
        out(hex(textOf(ctl)));
    } else if (cmd == "clickctl") {
        // What a click on the control tells its window, without moving the
        // pointer (and with it the keyboard focus) away from the editor.
        PostMessageW(win, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(ctl), BN_CLICKED), reinterpret_cast<LPARAM>(ctl));
    } else if (cmd == "imechar" && a.size() > 2) {
        // Characters as an input method hands its result to the control.
        for (wchar_t c : wide(unhex(a[2]))) SendMessageW(ctl, WM_IME_CHAR, c, 1);
    } else {
        return 2;
    }
    return 0;
}

int benchCommand(const std::string& cmd, const std::vector<std::string>& a) {
    HWND edit = editorEdit();
    if (!edit || a.size() < 2) return 1;
    if (cmd == "streambench") {
        // Until the text has grown by CHARS, or has not grown for 2 s.
        const long start = editorLength(edit);
        const double t0 = nowMs();
        pressHotkey();
        double first = -1, last = -1;
        long length = start;
        for (double grew = t0; length < start + atol(a[1].c_str()) && nowMs() - grew < 2000; Sleep(1)) {
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
    for (int i = 0; i < atoi(a[1].c_str()); ++i) {
        const long start = editorLength(edit);
        const double t0 = nowMs();
        pressHotkey();
        double took = -1;
        while (nowMs() - t0 < 3000) {
            if (editorLength(edit) > start) {
                took = nowMs() - t0;
                break;
            }
            Sleep(1);
        }
        out(std::to_string(took));
        Sleep(5);
    }
    return 0;
}

int mainWindowCommand(const std::string& cmd, const std::vector<std::string>& a) {
    HWND main = mainWindow();
    if (cmd == "watchtitle" && a.size() > 1) {
        // Up to MS ms; with QUIET, also ends once the title has changed and
        // then stayed the same for QUIET ms.
        const double t0 = nowMs(), end = t0 + atoi(a[1].c_str());
        const double quiet = a.size() > 2 ? atoi(a[2].c_str()) : 0;
        double changed = -1;
        std::wstring last = L"\1";
        while (nowMs() < end && !(quiet > 0 && changed > 0 && nowMs() - changed >= quiet)) {
            wchar_t buf[512] = {};
            if (HWND w = mainWindow()) GetWindowTextW(w, buf, 512);
            if (last != buf) {
                if (last != L"\1") changed = nowMs();
                last = buf;
                out(std::to_string(static_cast<long>(nowMs() - t0)) + " " + hex(utf8(buf)));
                flushAnswer(false);  // as it happens: the first line says the watch has begun
            }
            Sleep(2);
        }
        return 0;
    }
    if (!main) {
        out("none");
        return 1;
    }
    HWND list = listOf(main);
    if (cmd == "close") {
        PostMessageW(main, WM_CLOSE, 0, 0);
    } else if (cmd == "terminate") {
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        HANDLE proc = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, pid);
        if (!proc) return 1;
        TerminateProcess(proc, 9);
        WaitForSingleObject(proc, 10000);
        CloseHandle(proc);
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
    } else if (cmd == "rowpoint" && a.size() > 1) {
        RECT rc;
        if (!remoteRowRect(list, atoi(a[1].c_str()), rc)) return 1;
        POINT pt{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2};
        if (pt.x > 150) pt.x = 150;
        ClientToScreen(list, &pt);
        out(numbers({pt.x, pt.y}));
    } else if (cmd == "listpoint") {  // a point in the list below all rows
        RECT rc;
        GetWindowRect(list, &rc);
        out(numbers({rc.left + 100, rc.bottom - 30}));
    } else if (cmd == "rect") {
        out(windowRect(main));
    } else if (cmd == "layout") {
        // Sizes of the main window, the list, its columns and its header.
        RECT win, lst, hdr;
        GetWindowRect(main, &win);
        GetWindowRect(list, &lst);
        GetWindowRect(reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0)), &hdr);
        out(numbers({win.right - win.left, win.bottom - win.top, lst.right - lst.left, lst.bottom - lst.top,
                     static_cast<long>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 0, 0)),
                     static_cast<long>(SendMessageW(list, LVM_GETCOLUMNWIDTH, 1, 0)), hdr.bottom - hdr.top}));
    } else if (cmd == "comctl") {
        // Where the program's common controls come from: version 6 lives in
        // the side-by-side store, version 5 in the system folder.
        DWORD pid = 0;
        GetWindowThreadProcessId(main, &pid);
        HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPMODULE, pid);
        if (snap == INVALID_HANDLE_VALUE) return 1;
        MODULEENTRY32W me{};
        me.dwSize = sizeof me;
        for (BOOL more = Module32FirstW(snap, &me); more; more = Module32NextW(snap, &me))
            if (_wcsicmp(me.szModule, L"comctl32.dll") == 0) out(utf8(me.szExePath));
        CloseHandle(snap);
    } else if (cmd == "style") {
        char buf[64];
        snprintf(buf, sizeof buf, "%08lx %08lx %08lx", static_cast<unsigned long>(GetWindowLongW(main, GWL_STYLE)),
                 static_cast<unsigned long>(GetWindowLongW(main, GWL_EXSTYLE)),
                 static_cast<unsigned long>(GetWindowLongW(list, GWL_STYLE)));
        out(buf);
    } else if (cmd == "cell" && a.size() > 2) {
        out(hex(remoteCell(list, atoi(a[1].c_str()), atoi(a[2].c_str()))));
    } else if (cmd == "scrollto" && a.size() > 1) {
        SendMessageW(list, LVM_ENSUREVISIBLE, atoi(a[1].c_str()), FALSE);
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
        out(windowRect(menu));
    } else {
        return 2;
    }
    return 0;
}

int command(const std::vector<std::string>& a) {
    if (a.empty()) return 2;
    const std::string& cmd = a[0];
    if (cmd == "setclip" || cmd == "getclip" || cmd == "holdclip" || cmd == "clipformats")
        return clipboardCommand(cmd, a);
    if (cmd.rfind("settings", 0) == 0 || cmd == "closesettings" || cmd == "ctlpoint" || cmd == "checked" ||
        cmd == "ctltext" || cmd == "clickctl" || cmd == "imechar" || cmd == "ctlsize")
        return settingsCommand(cmd, a);
    if (cmd == "pressbench" || cmd == "streambench") return benchCommand(cmd, a);
    if (cmd == "boxes") {
        const std::vector<HWND> boxes = nexluneBoxes();
        out(std::to_string(boxes.size()));
        for (HWND b : boxes) {
            wchar_t title[256] = {}, text[1024] = {};
            GetWindowTextW(b, title, 256);
            GetDlgItemTextW(b, 0xFFFF, text, 1024);
            HWND owner = GetWindow(b, GW_OWNER);
            out(hex(utf8(title)) + " " + hex(utf8(text)) + " " + (owner ? className(owner) : "-"));
        }
        return 0;
    }
    if (cmd == "boxwindows") {
        out(std::to_string(nexluneBoxes(true).size()));
        return 0;
    }
    if (cmd == "boxbutton" && a.size() > 1) {
        const std::vector<HWND> boxes = nexluneBoxes();
        HWND button = boxes.empty() ? nullptr : GetDlgItem(boxes[0], atoi(a[1].c_str()));
        if (!button) return 1;
        out(center(button) + " " + windowRect(boxes[0]));
        return 0;
    }
    if (cmd == "foreground") {
        out(className(GetForegroundWindow()));
        return 0;
    }
    if (cmd == "sync" || cmd == "paintnow") {
        HWND main = mainWindow();
        if (!main) return 1;
        if (cmd == "paintnow") {
            for (HWND w : {main, settingsWindow()})
                if (w) RedrawWindow(w, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        }
        // A sent message is answered the next time the thread looks at its
        // queue, before what was posted to it; the second one after that.
        DWORD_PTR r;
        for (int i = 0; i < 2; ++i)
            if (!SendMessageTimeoutW(main, WM_NULL, 0, 0, SMTO_NORMAL, 30000, &r)) return 1;
        return 0;
    }
    if (cmd == "holdfile" && a.size() > 2) {
        // Holds a file open without sharing, as a program writing it does.
        HANDLE file = CreateFileW(wide(unhex(a[1])).c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return 1;
        out("held");
        flushAnswer(false);  // said at once: the caller goes on while the file is held
        Sleep(static_cast<DWORD>(atoi(a[2].c_str())));
        CloseHandle(file);
        return 0;
    }
    if (cmd == "cleareditor") {
        HWND edit = editorEdit();
        if (!edit) return 1;
        // Selected and deleted as a user would: the editor hears of the change.
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, WM_CLEAR, 0, 0);
        return 0;
    }
    return mainWindowCommand(cmd, a);
}

std::vector<std::string> words(const std::string& line) {
    std::vector<std::string> w;
    size_t start = 0;
    while (start < line.size()) {
        const size_t space = line.find(' ', start);
        const size_t end = space == std::string::npos ? line.size() : space;
        if (end > start) w.push_back(line.substr(start, end - start));
        start = end + 1;
    }
    return w;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::string(argv[1]) == "serve") {
        std::string pending;
        char buf[4096];
        DWORD got = 0;
        while (ReadFile(GetStdHandle(STD_INPUT_HANDLE), buf, sizeof buf, &got, nullptr) && got > 0) {
            pending.append(buf, got);
            for (size_t nl; (nl = pending.find('\n')) != std::string::npos; pending.erase(0, nl + 1)) {
                std::string line = pending.substr(0, nl);
                if (!line.empty() && line.back() == '\r') line.pop_back();
                command(words(line));
                flushAnswer(true);
            }
        }
        return 0;
    }
    const int code = command(std::vector<std::string>(argv + 1, argv + argc));
    flushAnswer(false);
    return code;
}
