// The desktop operations against the real Win32 calls, run under Wine.
#include "platform/win.h"

#include <chrono>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "items/item_list_win.h"
#include "items/loader_win.h"
#include "paste/paste_win.h"
#include "platform/bound.h"
#include "platform/clipboard.h"
#include "platform/files.h"
#include "platform/folders.h"
#include "platform/hotkey.h"
#include "platform/list_view.h"
#include "platform/message_pump.h"
#include "platform/profile.h"
#include "platform/scoped.h"
#include "platform/window.h"
#include "platform/drop_target.h"
#include "ui/message_box_win.h"
#include "skin/skin_format.h"
#include "skin/skin_loader_win.h"
#include "ui/transparency_win.h"
#include "update/charset_win.h"
#include "tests/wine/check.h"
#include "tests/wine/item_list_window.h"

namespace {

std::string tempDir() {
    char buf[MAX_PATH];
    GetTempPathA(MAX_PATH, buf);
    return buf;
}

long long msSince(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - t0).count();
}

void testProfileFile() {
    const std::string file = tempDir() + "nexlune_profile_test.ini";
    DeleteFileA(file.c_str());
    const std::string section = "start";
    CHECK_EQ(readSetting(file, section, "热键代码", "9"), std::string("9"));  // no file
    CHECK_EQ(readSetting(file, section, "热键代码"), std::string(""));        // no default
    CHECK(writeSetting(file, section, "热键代码", "120"));
    CHECK(writeSetting(file, section, "分段符", ""));
    CHECK(writeSetting(file, section, "无限循环", "假"));
    CHECK_EQ(readSetting(file, section, "热键代码", "9"), std::string("120"));
    CHECK_EQ(readSetting(file, section, "分段符", "\r\n"), std::string(""));  // present but empty
    CHECK_EQ(readSetting(file, section, "无限循环", "真"), std::string("假"));
    CHECK_EQ(readSetting(file, "other", "热键代码", "9"), std::string("9"));
    // Blank names would enumerate the file; they read as "".
    CHECK_EQ(readSetting(file, section, " \t", "x"), std::string(""));
    CHECK_EQ(readSetting(file, "", "热键代码", "x"), std::string(""));
    CHECK_EQ(readSetting("", section, "热键代码", "x"), std::string(""));
    // The file holds GBK bytes as written.
    const std::string bytes = readWholeFile(file);
    CHECK(bytes.find("[start]") != std::string::npos);
    CHECK(bytes.find("热键代码=120") != std::string::npos);
    const std::string longValue(20000, 'x');
    CHECK(writeSetting(file, section, "延时", longValue));
    CHECK_EQ(readSetting(file, section, "延时", "50").size(), size_t(10239));  // cut to the buffer
    DeleteFileA(file.c_str());
}

// The list operations against the virtual item list, as the paste engine and
// other programs read it: through the control.
void testListCells() {
    ItemListWindow f;
    CHECK_EQ(listRowCount(f.list), 0);
    const std::string gbkText = "你好\r\n世界 ";
    const std::string longText(100000, 'z');
    CHECK(f.show(gbkText + "|" + longText + "|x", "|"));
    CHECK_EQ(listRowCount(f.list), 3);
    CHECK_EQ(listGetCell(f.list, 0, 1), gbkText);
    CHECK_EQ(listGetCell(f.list, 1, 1).size(), longText.size());  // the whole cell, however long
    CHECK_EQ(listGetCell(f.list, 1, 0), std::string("2"));
    CHECK_EQ(listGetCell(f.list, 2, 0), std::string("3"));
    for (int row : {-1, 3, 1000}) CHECK_EQ(listGetCell(f.list, row, 1), std::string(""));
    // Asked in UTF-16 with short buffers: whole characters from the start,
    // never half of one.
    for (int room : {2, 3, 4, 7, 8, 9}) {
        wchar_t wide[16] = {};
        LVITEMW item{};
        item.iSubItem = 1;
        item.pszText = wide;
        item.cchTextMax = room;
        SendMessageW(f.list, LVM_GETITEMTEXTW, 0, reinterpret_cast<LPARAM>(&item));
        const std::wstring got = item.pszText, whole = L"你好\r\n世界 ";
        CHECK(got.size() < static_cast<size_t>(room) && whole.compare(0, got.size(), got) == 0);
        CHECK(room < 4 || got.size() >= 1);
    }
    // A cell of two-byte characters longer than the first buffer comes whole.
    std::string wideCell;
    for (int i = 0; i < 3000; ++i) wideCell += "汉";
    CHECK(f.show("a|" + wideCell, "|"));
    CHECK_EQ(listGetCell(f.list, 1, 1), wideCell);
    CHECK(f.show(gbkText + "|" + longText + "|x", "|"));
    CHECK_EQ(listSelectedRow(f.list), -1);
    listSelectRow(f.list, 1);
    CHECK_EQ(listSelectedRow(f.list), 1);
    listSelectRow(f.list, 0);  // single selection: the earlier row loses it
    CHECK_EQ(listSelectedRow(f.list), 0);
    CHECK_EQ(static_cast<int>(SendMessageA(f.list, LVM_GETSELECTEDCOUNT, 0, 0)), 1);
    listSelectRow(f.list, -1);
    listSelectRow(f.list, 5);
    CHECK_EQ(listSelectedRow(f.list), 0);

    // Many rows: one far down is scrolled into view; a new text starts clean.
    std::string many;
    for (int i = 1; i <= 5000; ++i) many += "行" + std::to_string(i) + "\r\n";
    CHECK(f.show(many, "\r\n"));
    CHECK_EQ(listRowCount(f.list), 5000);
    CHECK_EQ(listGetCell(f.list, 4899, 1), std::string("行4900"));
    CHECK_EQ(listSelectedRow(f.list), -1);
    listSelectRow(f.list, 4899);
    listEnsureVisible(f.list, 4899);
    const int top = static_cast<int>(SendMessageA(f.list, LVM_GETTOPINDEX, 0, 0));
    const int shown = static_cast<int>(SendMessageA(f.list, LVM_GETCOUNTPERPAGE, 0, 0));
    CHECK(top <= 4899 && 4899 < top + shown);
    CHECK_EQ(listSelectedRow(f.list), 4899);
    listClear(f.list);
    CHECK_EQ(listRowCount(f.list), 0);
}

void testFillAndLoad() {
    ItemListWindow f;
    AppState& app = f.app;
    app.separator = "\r\n";
    const std::string file = tempDir() + "nexlune_load_test.txt";
    CHECK(writeWholeFile(file, std::string("一\r\n\r\n二\r\n三\0四\r\n五", 19)));
    loadDroppedFile(app, f.list, file);
    CHECK_EQ(listRowCount(f.list), 3);  // the text ends at the zero byte
    CHECK_EQ(listGetCell(f.list, 2, 0), std::string("3"));
    CHECK_EQ(listGetCell(f.list, 2, 1), std::string("三"));
    CHECK_EQ(app.source->sourceBytes->size(), size_t(19));
    CHECK(app.source->sourceText.data() == app.source->sourceBytes->data());  // one copy: the text is the bytes
    loadDroppedFile(app, f.list, file + ".missing");
    CHECK_EQ(listRowCount(f.list), 0);
    CHECK(app.source->sourceBytes->empty());
    loadDroppedFile(app, f.list, tempDir());  // a folder
    CHECK_EQ(listRowCount(f.list), 0);

    // UTF-8 bytes: misread as GBK on drop, rebuilt by the re-decode.
    CHECK(writeWholeFile(file, "\xE7\x89\x88\xE6\x9C\xAC\r\nok"));
    loadDroppedFile(app, f.list, file);
    CHECK(listGetCell(f.list, 0, 1) != std::string("版本"));
    redecodeAsUtf8(app, f.list);
    CHECK_EQ(listGetCell(f.list, 0, 1), std::string("版本"));
    CHECK(app.source->sourceText.data() == app.source->convertedText.data());
    CHECK(writeWholeFile(file, "plain,ascii\r\nrows"));
    loadDroppedFile(app, f.list, file);
    redecodeAsUtf8(app, f.list);  // the same text in both readings: no copy
    CHECK(app.source->sourceText.data() == app.source->sourceBytes->data() && app.source->convertedText.empty());
    CHECK_EQ(listGetCell(f.list, 1, 1), std::string("rows"));
    CHECK(writeWholeFile(file, "\xE7\x89\x88\xE6\x9C\xAC\r\nok"));
    loadDroppedFile(app, f.list, file);
    redecodeAsUtf8(app, f.list);
    redecodeAsUtf8(app, f.list);  // the same bytes again: the same list
    CHECK_EQ(listRowCount(f.list), 2);

    // A file held open for writing by someone else cannot be read.
    HANDLE held = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    CHECK(held != INVALID_HANDLE_VALUE);
    CHECK_EQ(readWholeFile(file), std::string(""));
    CloseHandle(held);
    DeleteFileA(file.c_str());
}

// Loads off the window's thread: the one started last is shown, whatever
// order they finish in, and "utf-8编码" chosen during a load reads that file.
void testBackgroundLoads() {
    ItemListWindow f;
    f.app.separator = "\r\n";
    const std::string file = tempDir() + "nexlune_background_test.txt";
    CHECK(writeWholeFile(file, "\xE7\x89\x88\xE6\x9C\xAC\r\nnew"));  // UTF-8 "版本"
    const ScopedHandle firstMayEnd(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    auto arrived = [&](int loads) {
        const auto t0 = std::chrono::steady_clock::now();
        while (msSince(t0) < 10000 && f.loadsArrived < loads) {
            processPendingEvents();
            Sleep(1);
        }
        return f.loadsArrived == loads;
    };
    const HANDLE gate = firstMayEnd.get();
    loadInBackground(f.app, f.window, ItemListWindow::kLoaded, [gate] {
        WaitForSingleObject(gate, 10000);  // finishes after the second
        return readAsUtf8(std::make_shared<const std::string>("old\r\nrows\r\nhere"), "\r\n");
    });
    loadInBackground(f.app, f.window, ItemListWindow::kLoaded, [file] { return readDroppedFile(file, "\r\n"); });
    redecodeInBackground(f.app, f.window, ItemListWindow::kLoaded);  // during the second load: for its file
    CHECK(arrived(2));  // the second, then the re-reading it started
    CHECK_EQ(listGetCell(f.list, 0, 1), std::string("版本"));
    SetEvent(gate);
    CHECK(arrived(3));  // the first, late: not shown
    CHECK_EQ(listRowCount(f.list), 2);
    CHECK_EQ(listGetCell(f.list, 0, 1), std::string("版本"));
    CHECK_EQ(listGetCell(f.list, 1, 1), std::string("new"));
    DeleteFileA(file.c_str());
}

void testUtf8ToGbk() {
    const struct {
        std::string in, want;
    } cases[] = {
        {"\xE7\x89\x88\xE6\x9C\xAC", "\xB0\xE6\xB1\xBE"},  // 版本
        {"", ""},
        {"a\xFF" "b", "a?b"},                      // malformed UTF-8 becomes the default character
        {std::string("x\0y", 3), "x"},             // converted whole, read up to the zero
        {"\xEF\xBB\xBFhi", "?hi"},                  // a byte-order mark is just a character
        {"\xF0\x9F\x98\x80", "??"},                // no GBK form: one per UTF-16 unit
    };
    for (const auto& c : cases) {
        check::context() = check::show(c.in);
        CHECK_EQ(utf8ToGbk(c.in), c.want);
    }
    check::context().clear();
}

// The clipboard's text as a program reads it; reader: the window it opens
// the clipboard with (none: a reader that cannot be told).
std::string clipboardText(HWND reader = nullptr) {
    std::string text = "<unavailable>";
    if (!OpenClipboard(reader)) return text;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        text = static_cast<const char*>(GlobalLock(h));
        GlobalUnlock(h);
    } else {
        text = "<no text>";
    }
    CloseClipboard();
    return text;
}

// Runs this test program again with a sub-command and returns its process.
PROCESS_INFORMATION relaunch(const char* self, const std::string& args) {
    STARTUPINFOA si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    std::string cmd = std::string("\"") + self + "\" " + args;
    CHECK(CreateProcessA(nullptr, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi));
    return pi;
}

// Waits for a handle while this thread keeps answering its windows'
// messages (a program starting or reading the clipboard may ask them and
// wait for the answer); true when it was signalled within ms.
bool waitPumping(HANDLE handle, DWORD ms) {
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (MsgWaitForMultipleObjects(1, &handle, FALSE, 50, QS_ALLINPUT) != WAIT_OBJECT_0) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        processPendingEvents();
    }
    return true;
}

// Runs a sub-command of this program to its end, answering messages
// meanwhile; its exit code.
DWORD runPumping(const char* self, const std::string& args) {
    PROCESS_INFORMATION pi = relaunch(self, args);
    waitPumping(pi.hProcess, 20000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    if (code == STILL_ACTIVE) TerminateProcess(pi.hProcess, 99);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    return code;
}

std::string readerReportFile() { return tempDir() + "nexlune_clip_report.txt"; }

// Sub-command: reads the clipboard as a paste target would, with a window of
// its own, and writes what it found.
int readClipboard() {
    HWND w = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(w)) return 1;
    std::string report;
    if (HANDLE h = GetClipboardData(CF_TEXT)) {
        report += "text " + check::show(std::string(static_cast<const char*>(GlobalLock(h)))) + "\n";
        GlobalUnlock(h);
    }
    if (HANDLE h = GetClipboardData(CF_UNICODETEXT)) {
        char utf8[4096] = {};
        WideCharToMultiByte(CP_UTF8, 0, static_cast<const wchar_t*>(GlobalLock(h)), -1, utf8, sizeof utf8, nullptr,
                            nullptr);
        GlobalUnlock(h);
        report += "unicode " + check::show(std::string(utf8)) + "\n";
    }
    if (HANDLE h = GetClipboardData(CF_LOCALE)) {
        const bool system = *static_cast<const LCID*>(GlobalLock(h)) == GetSystemDefaultLCID();
        GlobalUnlock(h);
        report += std::string("locale ") + (system ? "system" : "other") + "\n";
    }
    for (const char* name : {"ExcludeClipboardContentFromMonitorProcessing", "Clipboard Viewer Ignore",
                             "CanIncludeInClipboardHistory"}) {
        if (IsClipboardFormatAvailable(RegisterClipboardFormatA(name))) report += std::string("marked ") + name + "\n";
    }
    if (HANDLE h = GetClipboardData(RegisterClipboardFormatA("CanIncludeInClipboardHistory"))) {
        report += "history " + std::to_string(*static_cast<const DWORD*>(GlobalLock(h))) + "\n";
        GlobalUnlock(h);
    }
    CloseClipboard();
    writeWholeFile(readerReportFile(), report);
    return 0;
}

constexpr const char* kHoldingEvent = "NexluneTestClipboardHeld";

std::vector<DWORD> g_readers;
int g_replaced = 0;

LRESULT CALLBACK clipboardOwnerProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (handleClipboardOwnerMessage(m, w)) return 0;
    return DefWindowProcA(h, m, w, l);
}

HWND makeClipboardOwner() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = clipboardOwnerProc;
    wc.lpszClassName = "NexluneClipboardOwner";
    RegisterClassA(&wc);
    return CreateWindowExA(0, wc.lpszClassName, "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
}

void testClipboardOffer(const char* self) {
    watchClipboardOffer({[](DWORD reader) { g_readers.push_back(reader); }, [] { ++g_replaced; }});
    HWND owner = makeClipboardOwner();
    const std::string text = "第一段\r\nline";  // GBK
    CHECK(offerClipboardText(owner, text));
    CHECK(g_readers.empty());  // nothing is rendered before somebody asks

    // Another process reads: each text format is rendered for it, and the
    // reader is named.
    DeleteFileA(readerReportFile().c_str());
    CHECK_EQ(static_cast<long long>(runPumping(self, "readclip")), 0LL);
    CHECK_EQ(readWholeFile(readerReportFile()),
             "text " + check::show(text) + "\nunicode " + check::show("\xE7\xAC\xAC\xE4\xB8\x80\xE6\xAE\xB5\r\nline") +
                 "\nlocale system\n"
                 "marked ExcludeClipboardContentFromMonitorProcessing\nmarked Clipboard Viewer Ignore\n"
                 "marked CanIncludeInClipboardHistory\nhistory 0\n");
    CHECK_EQ(g_readers.size(), size_t(2));
    for (DWORD reader : g_readers) CHECK(reader != 0 && reader != GetCurrentProcessId());
    CHECK_EQ(g_replaced, 0);

    // A read from this process renders nothing more; the text stays.
    CHECK_EQ(clipboardText(), text);
    CHECK_EQ(g_readers.size(), size_t(2));

    // Our own next offer is not somebody else's replacement.
    CHECK(offerClipboardText(owner, ""));
    CHECK_EQ(clipboardText(), std::string(""));
    CHECK_EQ(g_readers.back(), DWORD(0));  // opened without a window: the reader is unknown
    CHECK_EQ(g_replaced, 0);

    // The text outlives its owner window (and so the program).
    CHECK(offerClipboardText(owner, "最后"));
    DestroyWindow(owner);
    DeleteFileA(readerReportFile().c_str());
    CHECK_EQ(static_cast<long long>(runPumping(self, "readclip")), 0LL);
    CHECK(readWholeFile(readerReportFile()).find("text " + check::show("最后")) == 0);

    // Another program taking the clipboard is told.
    owner = makeClipboardOwner();
    CHECK(offerClipboardText(owner, "x"));
    CHECK_EQ(static_cast<long long>(runPumping(self, "setclip")), 0LL);
    processPendingEvents();
    CHECK_EQ(g_replaced, 1);
    DestroyWindow(owner);
    watchClipboardOffer({});
}

void testClipboard(const char* self) {
    // The owner is shown and in front, so that this program is the one a
    // paste is meant for, and its reads count as the target's.
    HWND owner = makeClipboardOwner();
    ShowWindow(owner, SW_SHOW);
    SetForegroundWindow(owner);
    processPendingEvents();
    CHECK(setClipboardText(owner, "第一段\r\nline"));
    CHECK_EQ(clipboardText(owner), std::string("第一段\r\nline"));
    CHECK(setClipboardText(owner, ""));
    CHECK_EQ(clipboardText(owner), std::string(""));

    // Another process holds the clipboard open for 2 s: we give up after our
    // bounded wait and leave the old content in place.
    CHECK(setClipboardText(owner, "old"));
    CHECK_EQ(clipboardText(owner), std::string("old"));
    // Wine's own clipboard bridge opens the clipboard for a moment after each
    // change, so the holder says when it is the one holding it.
    HANDLE held = CreateEventA(nullptr, TRUE, FALSE, kHoldingEvent);
    PROCESS_INFORMATION pi = relaunch(self, "holdclip 2000");
    CHECK(waitPumping(held, 10000));
    CloseHandle(held);
    const auto t0 = std::chrono::steady_clock::now();
    CHECK(!setClipboardText(owner, "new"));
    const long long waited = msSince(t0);
    CHECK(waited >= 450 && waited < 1500);
    waitPumping(pi.hProcess, 5000);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
    CHECK_EQ(clipboardText(), std::string("old"));
    DestroyWindow(owner);
}

int setClipboardFromElsewhere() {
    if (!OpenClipboard(nullptr)) return 1;
    EmptyClipboard();
    CloseClipboard();
    return 0;
}

int holdClipboard(int ms) {
    HWND w = CreateWindowExA(0, "STATIC", "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    if (!OpenClipboard(w)) return 1;
    if (HANDLE held = OpenEventA(EVENT_MODIFY_STATE, FALSE, kHoldingEvent)) {
        SetEvent(held);
        CloseHandle(held);
    }
    Sleep(ms);
    CloseClipboard();
    return 0;
}

const UINT kProbeMessage = WM_APP + 7;
long long g_handledAt = -1;
std::chrono::steady_clock::time_point g_waitStart;

LRESULT CALLBACK probeProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == kProbeMessage) {
        g_handledAt = msSince(g_waitStart);
        return 0;
    }
    return DefWindowProcA(h, m, w, l);
}

void testWait() {
    // Bounds that a loaded machine keeps and a wrong wait still breaks: a
    // negative amount read as a relative time would wait a whole second.
    const struct {
        int amount;
        long long minMs, maxMs;
    } cases[] = {{50, 45, 450}, {300, 295, 900}, {0, 0, 500}, {-1000, 0, 500}};
    for (const auto& c : cases) {
        check::context() = std::to_string(c.amount) + " ms";
        const auto t0 = std::chrono::steady_clock::now();
        CHECK(waitMilliseconds(c.amount));
        const long long took = msSince(t0);
        CHECK(took >= c.minMs && took <= c.maxMs);
    }
    check::context().clear();

    // A message posted before and one sent by a timer during the wait are both
    // handled inside it, long before it ends.
    WNDCLASSA wc{};
    wc.lpfnWndProc = probeProc;
    wc.lpszClassName = "NexluneWaitProbe";
    RegisterClassA(&wc);
    HWND w = CreateWindowExA(0, wc.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
    g_waitStart = std::chrono::steady_clock::now();
    PostMessageA(w, kProbeMessage, 0, 0);
    CHECK(waitMilliseconds(1000));
    CHECK(g_handledAt >= 0 && g_handledAt < 500);  // long before the wait is over
    g_handledAt = -1;
    g_waitStart = std::chrono::steady_clock::now();
    struct Poster {
        static void CALLBACK later(HWND, UINT, UINT_PTR id, DWORD) {
            KillTimer(nullptr, id);
            PostMessageA(FindWindowExA(HWND_MESSAGE, nullptr, "NexluneWaitProbe", nullptr), kProbeMessage, 0, 0);
        }
    };
    SetTimer(nullptr, 0, 100, &Poster::later);  // posts in the middle of the wait
    CHECK(waitMilliseconds(1000));
    CHECK(g_handledAt >= 90 && g_handledAt < 600);
    DestroyWindow(w);
}

HWND g_relayTarget;
std::vector<WPARAM> g_relayed;
WNDPROC g_staticProc;
LRESULT CALLBACK relayProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    if (m == kHotkeyRelayMessage) {
        CHECK_EQ(static_cast<long long>(l), 0LL);
        g_relayed.push_back(w);
        return 0;
    }
    return CallWindowProcA(g_staticProc, h, m, w, l);
}

void testHotkeyRelay() {
    HWND main = CreateWindowExA(0, "STATIC", "", WS_OVERLAPPED, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    g_relayTarget = CreateWindowExA(0, "STATIC", "", WS_CHILD, 0, 0, 1, 1, main, nullptr, nullptr, nullptr);
    g_staticProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(g_relayTarget, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&relayProc)));
    const int first = registerGlobalHotkey(main, g_relayTarget, 0, VK_F8);
    CHECK_EQ(first, 33001);
    CHECK_EQ(registerGlobalHotkey(main, g_relayTarget, 0, VK_F8), 0);  // taken already
    const int third = registerGlobalHotkey(main, g_relayTarget, MOD_CONTROL, VK_F7);
    CHECK_EQ(third, 33003);
    SendMessageA(main, WM_HOTKEY, first, 0);
    SendMessageA(main, WM_HOTKEY, 33002, 0);  // never registered: not relayed
    SendMessageA(main, WM_HOTKEY, third, 0);
    SendMessageA(main, WM_HOTKEY, first + 8192, 0);  // caught by its stand-in while a chord holds Ctrl
    CHECK(g_relayed == std::vector<WPARAM>({33001, 33003, 33001}));
    DestroyWindow(main);
}

void testFoldersAndFiles() {
    const std::string base = tempDir() + "nexlune_dirs\\";
    const std::string nested = base + "甲\\\\乙 丙\\set";  // no final backslash, a doubled one inside
    ensureDirectory(nested);
    CHECK(fileExists(base + "甲\\乙 丙\\set"));
    const std::string file = base + "甲\\乙 丙\\set\\x.txt";
    CHECK(writeWholeFile(file, std::string("a\0b", 3)));
    CHECK_EQ(readWholeFile(file), std::string("a\0b", 3));
    CHECK(fileExists(file));
    CHECK(!fileExists(file + "x"));
    const std::string folder = getSpecialFolder(1);
    CHECK(!folder.empty() && folder.back() == '\\');
    CHECK_EQ(getSpecialFolder(2), std::string(""));
}

struct FindBox {
    DWORD pid;
    HWND box;
};

BOOL CALLBACK findMessageBox(HWND w, LPARAM lp) {
    auto* f = reinterpret_cast<FindBox*>(lp);
    DWORD pid = 0;
    char cls[32] = {};
    GetWindowThreadProcessId(w, &pid);
    GetClassNameA(w, cls, sizeof cls);
    if (pid == f->pid && std::string(cls) == "#32770" && IsWindowVisible(w)) {
        f->box = w;
        return FALSE;
    }
    return TRUE;
}

void testBindFailureIsFatal(const char* self) {
    PROCESS_INFORMATION pi = relaunch(self, "bindmissing");
    FindBox f{pi.dwProcessId, nullptr};
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
    while (!f.box && std::chrono::steady_clock::now() < deadline) {
        EnumWindows(findMessageBox, reinterpret_cast<LPARAM>(&f));
        if (!f.box) Sleep(50);
    }
    CHECK(f.box != nullptr);
    if (f.box) {
        char text[512] = {};
        GetDlgItemTextA(f.box, 0xFFFF, text, sizeof text);  // the message box's text control
        const std::string message = text;
        CHECK(message.find("kernel32.dll") != std::string::npos);
        CHECK(message.find("NexluneNoSuchFunction") != std::string::npos);
        PostMessageA(f.box, WM_COMMAND, IDOK, 0);
    }
    CHECK_EQ(static_cast<long long>(WaitForSingleObject(pi.hProcess, 15000)), static_cast<long long>(WAIT_OBJECT_0));
    DWORD code = 0;
    GetExitCodeProcess(pi.hProcess, &code);
    CHECK_EQ(static_cast<long long>(code), 1LL);  // the program ends, it does not go on
    if (code == STILL_ACTIVE) TerminateProcess(pi.hProcess, 0);
    CloseHandle(pi.hProcess);
    CloseHandle(pi.hThread);
}

// Presses a button of this thread's message box once it shows.
UINT g_pressButton = 0;
void CALLBACK pressWhenShown(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", nullptr);
    if (!box || !IsWindowVisible(box)) return;
    KillTimer(nullptr, id);
    PostMessageA(box, WM_COMMAND, g_pressButton, 0);
}

std::string windowTitle(HWND w) {
    char buf[256] = {};
    GetWindowTextA(w, buf, sizeof buf);
    return buf;
}

std::string g_seenTitle;
void CALLBACK noteTitle(HWND, UINT, UINT_PTR id, DWORD) {
    HWND box = FindWindowA("#32770", nullptr);
    if (box && IsWindowVisible(box)) {
        KillTimer(nullptr, id);
        g_seenTitle = windowTitle(box);
    }
}

void testTimedMessageBox() {
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 200, 100, nullptr,
                                 nullptr, nullptr, nullptr);
    const struct {
        UINT button;
        int want;
    } presses[] = {{IDYES, 5}, {IDNO, 6}};
    for (const auto& p : presses) {
        g_pressButton = p.button;
        SetTimer(nullptr, 0, 50, pressWhenShown);
        CHECK_EQ(timedMessageBox("要重启吗", MB_YESNO, std::string("热键设置"), owner, 20000), p.want);
    }
    // Left alone, the box ends itself with the time-out code, even where the
    // system ignores the time-out.
    auto t0 = std::chrono::steady_clock::now();
    CHECK_EQ(timedMessageBox("等待", MB_YESNO, std::string("t"), owner, 500), static_cast<int>(kBoxTimedOut) - 1);
    CHECK(msSince(t0) < 5000);
    // Defaults: the title "友情提醒", an owner of our own found by the search.
    g_seenTitle.clear();
    SetTimer(nullptr, 0, 50, noteTitle);
    t0 = std::chrono::steady_clock::now();
    CHECK_EQ(timedMessageBox("自定义延时成功", 0u, std::nullopt, std::nullopt, 300), static_cast<int>(kBoxTimedOut) - 1);
    CHECK_EQ(g_seenTitle, std::string("友情提醒"));
    CHECK(findOwnWindow() == owner);
    DestroyWindow(owner);
    // No visible window of ours: the search gives up after about a second.
    t0 = std::chrono::steady_clock::now();
    CHECK(findOwnWindow() == nullptr);
    const long long searched = msSince(t0);
    CHECK(searched >= 950 && searched < 3000);
}

void testWindowAlpha() {
    HWND w = CreateWindowExA(WS_EX_TOOLWINDOW | WS_EX_CLIENTEDGE, "STATIC", "alpha", WS_CAPTION | WS_SYSMENU | WS_VISIBLE,
                             0, 0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    CHECK(setWindowAlpha(w, 220));
    // Earlier extended styles are replaced; Wine, like Windows, keeps
    // WS_EX_WINDOWEDGE on a captioned window.
    const LONG ex = GetWindowLongA(w, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE;
    CHECK_EQ(static_cast<long long>(ex), static_cast<long long>(WS_EX_LAYERED));
    BYTE alpha = 0;
    DWORD flags = 0;
    CHECK(GetLayeredWindowAttributes(w, nullptr, &alpha, &flags));
    CHECK_EQ(static_cast<long long>(alpha), 220LL);
    DestroyWindow(w);
}

// The program's icon from its resources, at the sizes the system asks for,
// and its own picture: a blue field with a white sheet on it.
void testProgramIcons() {
    WNDCLASSEXA wc{};
    wc.hInstance = GetModuleHandleA(nullptr);
    setProgramIcons(wc);
    CHECK(wc.hIcon != nullptr && wc.hIcon != LoadIcon(nullptr, IDI_APPLICATION));
    CHECK(wc.hIconSm != nullptr);
    for (const auto& [icon, metric] : {std::pair{wc.hIcon, SM_CXICON}, std::pair{wc.hIconSm, SM_CXSMICON}}) {
        const int size = GetSystemMetrics(metric);
        ICONINFO ii{};
        CHECK(GetIconInfo(icon, &ii));
        BITMAP bm{};
        GetObjectA(ii.hbmColor, sizeof bm, &bm);
        CHECK_EQ(static_cast<long long>(bm.bmWidth), static_cast<long long>(size));
        DeleteObject(ii.hbmColor);
        DeleteObject(ii.hbmMask);
        const HDC screen = GetDC(nullptr);
        const HDC dc = CreateCompatibleDC(screen);
        const HBITMAP canvas = CreateCompatibleBitmap(screen, size, size);
        const HGDIOBJ old = SelectObject(dc, canvas);
        DrawIconEx(dc, 0, 0, icon, size, size, 0, nullptr, DI_NORMAL);
        const COLORREF field = GetPixel(dc, size / 10, size / 2), sheet = GetPixel(dc, size / 4, size / 5);
        SelectObject(dc, old);
        DeleteObject(canvas);
        DeleteDC(dc);
        ReleaseDC(nullptr, screen);
        CHECK(GetBValue(field) > 150 && GetRValue(field) < 100);
        CHECK(GetRValue(sheet) > 200 && GetGValue(sheet) > 200 && GetBValue(sheet) > 200);
    }
}

void testConvertCharset() {
    const struct {
        const char* name;
        std::string in;
        std::optional<std::string> from, to;
        std::optional<int> offset;
        std::string want;
    } cases[] = {
        {"defaults", "\xE7\x89\x88\xE6\x9C\xAC", std::nullopt, std::nullopt, std::nullopt, "\xB0\xE6\xB1\xBE"},
        {"empty names are the defaults", "\xE7\x89\x88\xE6\x9C\xAC", std::string(), std::string(), std::nullopt,
         "\xB0\xE6\xB1\xBE"},
        {"ascii unchanged", "<version>4.1</version>", std::nullopt, std::nullopt, std::nullopt, "<version>4.1</version>"},
        {"empty input", "", std::nullopt, std::nullopt, std::nullopt, ""},
        {"utf-8 input with a mark", "\xEF\xBB\xBF" "ok", std::nullopt, std::nullopt, std::nullopt, "ok"},
        {"gbk to utf-8 writes the mark", "\xB0\xE6", std::string("GBK"), std::string("UTF-8"), std::nullopt,
         "\xEF\xBB\xBF\xE7\x89\x88"},
        {"offset skips it", "\xB0\xE6", std::string("GBK"), std::string("UTF-8"), 3, "\xE7\x89\x88"},
        {"big5", "\xA4\xA4\xA4\xE5", std::string("BIG5"), std::nullopt, std::nullopt, "\xD6\xD0\xCE\xC4"},
        {"shift_jis", "\x93\xFA\x96\x7B", std::string("Shift_JIS"), std::nullopt, std::nullopt,
         "\xC8\xD5\xB1\xBE"},
        {"utf-16", std::string("\xFF\xFEh\0i\0", 6), std::string("unicode"), std::nullopt, std::nullopt, "hi"},
        {"to utf-16be", "hi", std::string("GBK"), std::string("UTF-16BE"), 2, std::string("\0h\0i", 4)},
        {"no ANSI form", "\xF0\x9F\x98\x80", std::nullopt, std::string("UTF-8"), 3, "??"},
        {"unknown charset", "abc", std::string("klingon"), std::nullopt, std::nullopt, ""},
    };
    for (const auto& c : cases) {
        check::context() = c.name;
        CHECK_EQ(convertCharset(c.in, c.from, c.to, c.offset), c.want);
    }
    check::context().clear();
}

COLORREF listBackground(HWND list) { return static_cast<COLORREF>(SendMessageA(list, LVM_GETBKCOLOR, 0, 0)); }

// Loads the skin library into this process: run it last.
void testSkinLoader() {
    AppState app;
    app.skinBaseDir = tempDir() + "nexlune_skin\\";
    const std::string library = app.skinBaseDir + "SkinH_EL.dll";
    const std::string styleFile = app.skinBaseDir + "Quilvo\\set\\tansivo.ini";
    DeleteFileA(library.c_str());
    DeleteFileA(styleFile.c_str());
    ensureDirectory(app.skinBaseDir);

    loadSkin(app, "Quilvo", -1);
    CHECK(fileExists(app.skinBaseDir + "Quilvo\\set"));  // the folder is made even without a skin
    CHECK(!fileExists(library));
    CHECK(GetModuleHandleA("SkinH_EL.dll") == nullptr);
    loadSkin(app, "Quilvo", 9);  // no skin settings file: no skin
    CHECK_EQ(app.skinStyle, 0);
    CHECK(!fileExists(library));
    CHECK(GetModuleHandleA("SkinH_EL.dll") == nullptr);

    ItemListWindow before;
    CHECK(writeSetting(styleFile, "initial", "style", "3"));
    loadSkin(app, "Quilvo", 9);
    CHECK_EQ(app.skinStyle, 3);
    CHECK_EQ(app.skinAppName, std::string("Quilvo"));
    CHECK(fileExists(library));
    HMODULE skinLibrary = GetModuleHandleA("SkinH_EL.dll");
    CHECK(skinLibrary != nullptr);
    const auto skin3 = builtinSkinColours(3);
    CHECK_EQ(static_cast<long long>(listBackground(before.list)),
             static_cast<long long>(skin3[SkinRole::ListBack].colorref()));
    // A list created later is skinned too.
    ItemListWindow after;
    const HWND later = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT, 0, 0, 100, 100,
                                       after.window, nullptr, nullptr, nullptr);
    CHECK_EQ(static_cast<long long>(listBackground(later)),
             static_cast<long long>(skin3[SkinRole::ListBack].colorref()));

    using AttachRes = int(WINAPI*)(const unsigned char*, int, const char*, int, int, int);
    const auto attachRes = reinterpret_cast<AttachRes>(
        reinterpret_cast<void*>(GetProcAddress(skinLibrary, "SkinH_AttachRes")));
    CHECK(attachRes != nullptr);
    if (!attachRes) return;
    std::vector<uint8_t> damaged = builtinSkin(4);
    damaged[12] ^= 0x20;
    CHECK(attachRes(damaged.data(), static_cast<int>(damaged.size()), "", 0, 0, 0) != 0);
    CHECK(attachRes(damaged.data(), 3, "", 0, 0, 0) != 0);
    CHECK_EQ(static_cast<long long>(listBackground(before.list)),
             static_cast<long long>(skin3[SkinRole::ListBack].colorref()));  // refused: nothing changed
    const std::vector<uint8_t>& four = builtinSkin(4);
    CHECK_EQ(attachRes(four.data(), static_cast<int>(four.size()), "", 0, 0, 0), 0);
    const auto skin4 = builtinSkinColours(4);
    CHECK_EQ(static_cast<long long>(listBackground(before.list)),
             static_cast<long long>(skin4[SkinRole::ListBack].colorref()));
    // Labels, check boxes and group boxes take the skin's colours from their parent.
    HDC dc = GetDC(before.window);
    SendMessageA(before.window, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc), 0);
    CHECK_EQ(static_cast<long long>(GetTextColor(dc)), static_cast<long long>(skin4[SkinRole::Text].colorref()));
    CHECK_EQ(static_cast<long long>(GetBkColor(dc)), static_cast<long long>(skin4[SkinRole::WindowBack].colorref()));
    ReleaseDC(before.window, dc);
}

void testDropText() {
    const std::string one[] = {"C:\\a.txt"};
    CHECK_EQ(droppedPathsText(one, 1), std::string("C:\\a.txt"));
    const std::string two[] = {"C:\\a.txt", "C:\\b.txt"};
    CHECK_EQ(droppedPathsText(two, 2), std::string("C:\\a.txt\r\nC:\\b.txt\r\n"));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 3 && std::string(argv[1]) == "holdclip") return holdClipboard(atoi(argv[2]));
    if (argc == 2 && std::string(argv[1]) == "readclip") return readClipboard();
    if (argc == 2 && std::string(argv[1]) == "setclip") return setClipboardFromElsewhere();
    if (argc == 2 && std::string(argv[1]) == "bindmissing") {
        bindByName("kernel32.dll", "NexluneNoSuchFunction");
        return 0;  // never reached
    }
    OleInitialize(nullptr);
    const struct {
        const char* name;
        void (*run)();
    } tests[] = {
        {"profile file", testProfileFile},   {"list cells", testListCells},
        {"fill and load", testFillAndLoad},  {"background loads", testBackgroundLoads},
        {"utf8ToGbk", testUtf8ToGbk},
        {"wait", testWait},                  {"hotkey relay", testHotkeyRelay},
        {"folders and files", testFoldersAndFiles}, {"drop text", testDropText},
        {"timed message box", testTimedMessageBox}, {"window alpha", testWindowAlpha},
        {"program icons", testProgramIcons},
        {"charset conversion", testConvertCharset}, {"skin loader", testSkinLoader},
    };
    int passed = 0, failed = 0;
    for (const auto& t : tests) {
        const int before = check::failures();
        t.run();
        const bool ok = check::failures() == before;
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", t.name);
        (ok ? passed : failed)++;
    }
    // Tests that start this program again as a second process.
    const struct {
        const char* name;
        void (*run)(const char* self);
    } crossProcess[] = {{"clipboard offer", testClipboardOffer},
                        {"clipboard", testClipboard},
                        {"bind failure is fatal", testBindFailureIsFatal}};
    for (const auto& t : crossProcess) {
        const int before = check::failures();
        t.run(argv[0]);
        const bool ok = check::failures() == before;
        std::printf("%s %s\n", ok ? "ok  " : "FAIL", t.name);
        (ok ? passed : failed)++;
    }
    std::printf("%d passed, %d failed\n", passed, failed);
    OleUninitialize();
    return failed ? 1 : 0;
}
