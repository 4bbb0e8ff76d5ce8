"""End-to-end scenarios of the settings window: opened from the list's
pop-up menu through the X server, its controls clicked and typed into, the
settings file, the running program and its restart observed from outside."""
import os
import shutil
import time

from harness import WIN64, MessageBoxes, SettingsWindow, hex_text, wait_until
from scenarios import GBK_TEXT, ROWS, Scene, expect, expect_eq, forward, position, scenario

# Control identifiers of the settings window.
FORWARD, REVERSE, REPEAT, ENTER, LOOP, ONE, ALL, DELAY, HOTKEY, HELP, SEPARATOR = range(1001, 1012)
IDYES, IDNO = 6, 7
WS_EX_LAYERED, WS_EX_WINDOWEDGE = 0x80000, 0x100


def stored(sc):
    path = os.path.join(sc.settings_dir, "set.ini")
    if not os.path.exists(path):
        return {}
    with open(path, "rb") as f:
        lines = f.read().decode("gbk").split("\r\n")
    return dict(line.split("=", 1) for line in lines if "=" in line)


def wait_stored(sc, key, value, timeout=5):
    return wait_until(lambda: stored(sc).get(key) == value, timeout, 0.2)


def layered_only(exstyle):
    # Wine, like Windows for captioned windows, keeps WS_EX_WINDOWEDGE.
    return exstyle & ~WS_EX_WINDOWEDGE == WS_EX_LAYERED


def program_copy(s, folder_name):
    """nexlune.exe copied into a folder of the given name, for restarts."""
    folder = os.path.join(s.scratch, folder_name)
    shutil.rmtree(folder, ignore_errors=True)
    os.makedirs(folder)
    shutil.copy(os.path.join(WIN64, "nexlune.exe"), folder)
    return folder, os.path.join(folder, "nexlune.exe")


@scenario
def settings_window_layout_and_translucency(s):
    with Scene(s) as sc:
        _, main_ex, _ = s.probe("style")[0].split()
        expect(layered_only(int(main_ex, 16)), "main window extended style is WS_EX_LAYERED: %s" % main_ex)
        win = SettingsWindow(sc.nx)
        info = win.info()
        expect_eq(info["title"], "  设置", "title")
        expect_eq(info["rect"], ((1024 - 416) // 2, (768 - 306) // 2, 416, 306), "centred, 416 x 306")
        expect(info["owned"], "owned by the main window")
        expect(info["style"] & 0x00C00000 == 0x00C00000 and not info["style"] & 0x00050000,
               "fixed frame without maximize box")
        expect(layered_only(info["exstyle"]), "settings window extended style is WS_EX_LAYERED")
        # Defaults in force: forward, one per press, wrap-around, no Enter, Tab.
        expect_eq([win.checked(c) for c in (FORWARD, REVERSE, REPEAT, ONE, ALL, ENTER, LOOP)],
                  [True, False, False, True, False, False, True], "check states")
        expect_eq((win.text(HOTKEY), win.text(DELAY), win.text(SEPARATOR)), ("9", "50", "\r\n"), "edit boxes")
        # A second "设置" opens no second window.
        sc.nx.choose_menu_item(0)
        s.probe("sync")
        expect_eq(s.probe("settingscount"), ["1"], "one settings window")
        s.probe("paintnow")
        s.screenshot(os.path.join(os.path.dirname(WIN64), "settings-window.png"))


@scenario
def loop_order_and_infinite_loop_apply_at_once(s):
    with Scene(s) as sc:
        sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
        sc.editor.focus()
        sc.press(ROWS[0], forward(1))
        win = SettingsWindow(sc.nx)
        win.click(REVERSE)
        expect(wait_stored(sc, "循环方式", "1"), "循环方式 stored as 1: %r" % stored(sc))
        expect(win.checked(REVERSE) and not win.checked(FORWARD), "reverse checked")
        sc.editor.focus()
        sc.press(ROWS[1], position(2))  # backwards from the cursor
        sc.press(ROWS[0], position(1))
        win.click(LOOP)
        expect(wait_stored(sc, "无限循环", "假"), "无限循环 stored as 假")
        expect(not win.checked(LOOP), "box shows off")
        sc.editor.focus()
        sc.press(None, position(0))  # below row 1 without wrap-around: the empty text
        win.click(LOOP)
        expect(wait_stored(sc, "无限循环", "真"), "无限循环 stored as 真 again")
        expect(win.checked(LOOP), "box shows on")


@scenario
def delay_box_filter_and_notice(s):
    with Scene(s) as sc:
        win = SettingsWindow(sc.nx)
        boxes = MessageBoxes(s)
        win.type_into(DELAY, "a1b2-x")
        expect_eq(win.wait_text(DELAY, "12-"), "12-", "only digits and minus reach the delay box")
        s.probe("imechar", DELAY, hex_text("５a7－-中"))  # an input method's results
        expect_eq(win.text(DELAY), "12-7-", "only digits and minus come through an input method")
        win.enter(DELAY, "")  # empty: nothing stored, no notice
        # A digit typed after the Enter arrives once the Enter has been
        # handled (a notice would have taken the focus).
        s.xdo("type", "7")
        expect_eq(win.wait_text(DELAY, "7"), "7", "the box kept the focus")
        expect_eq(boxes.shown(), [], "no notice for an empty delay box")
        expect("延时" not in stored(sc), "nothing stored for an empty box")
        win.enter(DELAY, "200")
        shown = boxes.wait_shown()
        expect(shown and shown[0]["text"] == "自定义延时成功" and shown[0]["title"] == "友情提醒",
               "the notice: %r" % shown)
        expect_eq(stored(sc).get("延时"), "200", "stored delay")
        t0 = time.monotonic()
        expect(boxes.wait_gone(15), "the notice closes itself")
        expect(time.monotonic() - t0 < 9, "within about its 5 s time-out")


@scenario
def hotkey_code_declined_and_restart_timeout(s):
    with Scene(s) as sc:
        sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
        pid = sc.nx.pid()
        win = SettingsWindow(sc.nx)
        boxes = MessageBoxes(s)
        win.enter(HOTKEY, "120")
        shown = boxes.wait_shown()
        expect(shown and shown[0]["text"] == "设置热键成功.是否立即重启" and shown[0]["title"] == "热键设置"
               and shown[0]["owner"] == "Vorpa.Nexlune.Settings", "the restart question: %r" % shown)
        expect_eq(stored(sc).get("热键代码"), "120", "stored hotkey code")
        boxes.answer(IDNO)
        expect(boxes.wait_gone(), "question closed")
        sc.editor.focus()
        sc.press(ROWS[0], forward(1))  # Tab still pastes until the next start
        expect_eq(sc.nx.pid(), pid, "still running")
    with Scene(s, {"热键代码": "9"}) as sc:
        pid = sc.nx.pid()
        win = SettingsWindow(sc.nx)
        boxes = MessageBoxes(s)
        win.enter(HOTKEY, "120")
        expect(boxes.wait_shown(), "question shown")
        expect(boxes.wait_gone(15), "the question times out")
        # A restart would have ended the process before the box's caller
        # returned; once Nexlune answers again, it is the same process.
        s.probe("sync")
        expect_eq(sc.nx.pid(), pid, "no restart after the time-out")
        expect(not os.path.exists(os.path.join(os.path.dirname(sc.nx.proc.args[1]), "Restart.bat")),
               "no restart script written")
        expect_eq(stored(sc).get("热键代码"), "120", "the value stays stored")
        # Reopened, the window shows the code in force, not the stored one.
        win.close()
        win2 = SettingsWindow(sc.nx)
        expect_eq(win2.text(HOTKEY), "9", "hotkey box after reopening")


def restart_and_wait(s, nx, boxes, old_pid):
    boxes.answer(IDYES)
    new_pid = wait_until(lambda: (lambda p: p if p and p != old_pid else None)(nx.pid()), 30)
    expect(new_pid, "a new Nexlune process")
    nx.wait_shown()
    return new_pid


@scenario
def restart_with_new_hotkey_and_separator(s):
    folder, exe = program_copy(s, "程序 目录 100%PATH%")
    # A cmd.exe beside the program must not be the one that runs the script.
    shutil.copy(os.path.join(WIN64, "probe.exe"), os.path.join(folder, "cmd.exe"))
    with Scene(s, exe=exe) as sc:
        old = sc.nx.pid()
        win = SettingsWindow(sc.nx)
        win.click(ENTER)
        expect(win.checked(ENTER), "加回车键 on")
        expect("加回车键" not in "".join(stored(sc)), "append-Enter is never stored")
        win.enter(HOTKEY, "120")
        boxes = MessageBoxes(s)
        expect(boxes.wait_shown(), "question shown")
        new = restart_and_wait(s, sc.nx, boxes, old)
        expect(wait_until(lambda: not os.path.exists(os.path.join(folder, "Restart.bat")), 10),
               "Restart.bat removed")
        sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
        sc.editor.focus()
        s.xdo("key", "Tab")  # no longer the hotkey
        expect_eq(sc.editor.wait_for("\t"), "\t", "Tab reaches the editor")
        sc.typed = "\t"
        sc.press(ROWS[0], forward(1), key="F9")
        win = SettingsWindow(sc.nx)
        expect(not win.checked(ENTER), "加回车键 clear after the restart")
        expect_eq(win.text(HOTKEY), "120", "hotkey in force")

        win.click(ENTER)  # Enter after the paste, at once
        sc.editor.focus()
        sc.press(ROWS[1] + "\r\n", forward(2), key="F9")

        win.enter(SEPARATOR, "")
        expect(boxes.wait_shown(), "separator question shown")
        expect_eq(stored(sc).get("分段符", None), "", "empty separator stored")
        restart_and_wait(s, sc.nx, boxes, new)
        sc.drop(sc.write_file("逗号.txt", "a,b\r\nc"), expect_rows=["a", "b\r\nc"])


@scenario
def key_code_help_opens_on_mouse_down(s):
    with Scene(s) as sc:
        win = SettingsWindow(sc.nx)
        help_file = os.path.join(sc.settings_dir, "help.txt")
        with open(help_file, "wb") as f:
            f.write(b"edited by the user")
        s.xdo("mousemove", *win.point(HELP))
        s.xdo("mousedown", 1)  # the press alone writes and opens the file
        ok = wait_until(lambda: os.path.getsize(help_file) == 1958, 5)
        s.xdo("mouseup", 1)
        expect(ok, "help.txt rewritten with the 1958-byte table on the press")
        with open(help_file, "rb") as f:
            lines = f.read().decode("gbk").split("\r\n")
        expect_eq(lines[37], "数字键盘 1 <--------> 97", "keypad line")


SCENARIOS = [f for f in list(globals().values()) if getattr(f, "scenario", False)]
