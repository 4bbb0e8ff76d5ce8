"""End-to-end scenarios: the real nexlune.exe under Wine, files dropped by
real OLE drag and drop, hotkey presses through the X server, and the text
read back from another program's window."""
import os
import shutil
import time
import traceback

from harness import ROOT, DragSource, Nexlune, hex_text, wait_until

ROWS = ["甲：第一段", "乙 second", "丙３"]
GBK_TEXT = "甲：第一段\r\n乙 second\r\n\r\n丙３\r\n"


class Failure(AssertionError):
    pass


def run_each(session, chosen):
    """Runs the scenarios one after the other, each whatever the others did,
    saying how each went; [(name, passed, seconds)]."""
    results = []
    for fn in chosen:
        t0 = time.monotonic()
        try:
            fn(session)
            results.append((fn.__name__, True, time.monotonic() - t0))
            print("ok   %s (%.1f s)" % (fn.__name__, results[-1][2]), flush=True)
        except Exception as e:  # a scenario's failure must not stop the others
            results.append((fn.__name__, False, time.monotonic() - t0))
            print("FAIL %s: %s" % (fn.__name__, e), flush=True)
            if not isinstance(e, Failure):
                traceback.print_exc()
            session.screenshot(os.path.join(ROOT, "build", "fail-%s.png" % fn.__name__))
    return results


def expect(cond, what):
    if not cond:
        raise Failure(what)


def expect_eq(actual, wanted, what):
    if actual != wanted:
        raise Failure("%s: got %r, wanted %r" % (what, actual, wanted))


def forward(n):
    return "正序:当前第%d条" % n


def position(n):
    return "当前第%d条" % n


class Scene:
    """One scenario's windows: Nexlune started on prepared settings, the
    editor that receives the pastes, and files to drop."""

    def __init__(self, session, settings=None, exe=None):
        self.s = session
        self.settings_dir = os.path.join(session.documents, "brenko", "Quilvo", "set")
        ini = os.path.join(self.settings_dir, "set.ini")
        if os.path.exists(ini):
            os.remove(ini)
        if settings is not None:  # a dict of settings, or the file's bytes as they are
            os.makedirs(self.settings_dir, exist_ok=True)
            body = settings if isinstance(settings, bytes) else (
                "[start]\r\n" + "".join("%s=%s\r\n" % kv for kv in settings.items())).encode("gbk")
            with open(ini, "wb") as f:
                f.write(body)
        self.nx = Nexlune(session, exe)
        self.editor = session.shared_editor()
        self.typed = ""

    def write_file(self, name, text, encoding="gbk"):
        path = os.path.join(self.s.scratch, name)
        with open(path, "wb") as f:
            f.write(text.encode(encoding) if isinstance(text, str) else text)
        return path

    def drop(self, *paths, expect_rows=None):
        source = DragSource(self.s, list(paths))
        try:
            expect(source.drop_on(self.nx.list_point()), "the list took the drop")
            if expect_rows is not None:
                expect_eq(self.nx.wait_rows(expect_rows), expect_rows, "rows after the drop")
        finally:
            source.close()

    def press(self, pasted, title=None, key="Tab"):
        """Presses the hotkey in the editor; pasted is what must arrive
        (None: nothing may arrive), title the main window's title after it."""
        self.s.xdo("key", key)
        if pasted:
            self.typed += pasted
            expect_eq(self.editor.wait_for(self.typed), self.typed, "editor text")
        else:
            self.keys_handled()
            expect_eq(self.editor.text(), self.typed, "editor text (nothing may arrive)")
        if title is not None:
            expect_eq(self.nx.wait_title(title), title, "title")

    def keys_handled(self):
        """Returns once every key pressed so far has been handled, which
        proves that a press did nothing without waiting for nothing to
        happen: a marker typed into the editor arrives after every key before
        it, and Nexlune has then handled the hotkey presses among them (and
        sent the keys of any paste they made) when the probe's sync returns.
        The marker is taken out again behind those keys."""
        self.s.xdo("key", "x")
        expect_eq(self.editor.wait_for(self.typed + "x"), self.typed + "x", "marker typed after the press")
        self.s.probe("sync")
        self.s.xdo("key", "BackSpace")
        expect_eq(self.editor.wait_for(self.typed), self.typed, "marker taken out")

    def close(self):
        self.nx.end()

    def __enter__(self):
        return self

    def __exit__(self, exc_type, exc, tb):
        if exc_type is not None:  # the screen as the failure left it
            self.s.screenshot(os.path.join(self.s.scratch, "..", "fail-%d.png" % int(time.time())))
        self.close()


def scenario(fn):
    fn.scenario = True
    return fn


@scenario
def first_start_on_defaults(s):
    shutil.rmtree(os.path.join(s.documents, "brenko"), ignore_errors=True)
    nx = Nexlune(s)
    try:
        expect(os.path.isdir(nx.settings_dir), "settings folder created")
        expect_eq(os.listdir(nx.settings_dir), [], "nothing written at start")
        expect_eq(nx.title(), "Vorpa.Nexlune", "title")
        x, y, w, h = nx.rect()
        expect_eq((w, h), (360, 458), "outer size")
        expect_eq((x, y), ((1024 - 360) // 2, (768 - 458) // 2), "centred")
        style, _, list_style = (int(v, 16) for v in s.probe("style")[0].split())
        expect(style & 0x00C00000 == 0x00C00000 and style & 0x00080000 and style & 0x00020000,
               "caption, system menu and minimize box")
        expect(not style & 0x00040000 and not style & 0x00010000, "no sizing frame, no maximize box")
        for bit, name in [(0x1, "LVS_REPORT"), (0x4, "LVS_SINGLESEL"), (0x8, "LVS_SHOWSELALWAYS"),
                          (0x200, "LVS_EDITLABELS")]:
            expect(list_style & bit, name)
        expect(not list_style & 0x4000, "column headers shown")
        expect_eq(nx.row_texts(), [], "empty list")
    finally:
        nx.close()
    expect_eq(nx.proc.returncode, 0, "the program ends when its window is closed")
    expect_eq(os.listdir(nx.settings_dir), [], "nothing written at exit")


@scenario
def drop_and_paste_forward_with_wrap(s):
    with Scene(s) as sc:
        sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
        expect_eq([n for n, _ in sc.nx.rows()], ["1", "2", "3"], "row numbers")
        expect_eq(sc.nx.title(), "Vorpa.Nexlune", "title before the first press")
        sc.editor.focus()
        for i, row in enumerate([0, 1, 2, 0]):
            sc.press(ROWS[row], forward(row + 1))
            expect_eq(sc.nx.selected(), row, "selected row after press %d" % (i + 1))
        # Several files in one drop give a text that names no file: the list empties.
        sc.drop(sc.write_file("a.txt", "x"), sc.write_file("b.txt", "y"), expect_rows=[])


@scenario
def click_on_row_sets_position(s):
    with Scene(s) as sc:
        sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
        s.click(*sc.nx.row_point(1))
        expect_eq(sc.nx.wait_title(position(2)), position(2), "title after a click on row 2")
        sc.editor.focus()
        sc.press(ROWS[1], forward(2))
        s.click(*sc.nx.list_point())  # empty space: no row selected
        expect_eq(sc.nx.wait_title(position(0)), position(0), "title after a click on empty space")
        sc.editor.focus()
        sc.press(None, forward(0))  # row -1: the empty text
        sc.press(ROWS[0], forward(1))


MODE_CASES = [
    ("reverse wraps", {"循环方式": "1"},
     [(ROWS[0], position(1)), (ROWS[2], position(3)), (ROWS[1], position(2)), (ROWS[0], position(1))]),
    ("repeat", {"循环方式": "2"}, [(ROWS[0], "Vorpa.Nexlune"), (ROWS[0], "Vorpa.Nexlune")]),
    ("all remaining forward", {"热键方式": "1"}, [("".join(ROWS), forward(3)), (None, forward(3))]),
    ("all remaining reverse", {"热键方式": "1", "循环方式": "1"}, [(ROWS[0], position(1)), (None, position(1))]),
    ("no wrap-around", {"无限循环": "假"},
     [(ROWS[0], forward(1)), (ROWS[1], forward(2)), (ROWS[2], forward(3)), (None, forward(4))]),
    ("unknown order", {"循环方式": "7"}, [(None, "Vorpa.Nexlune")]),
    ("append-enter off, full-width delay", {"延时": "１００"}, [(ROWS[0], forward(1))]),
]


@scenario
def orders_and_modes_from_settings_file(s):
    for name, settings, presses in MODE_CASES:
        with Scene(s, settings) as sc:
            sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
            sc.editor.focus()
            for i, (pasted, title) in enumerate(presses):
                try:
                    sc.press(pasted, title)
                except Failure as e:
                    raise Failure("%s, press %d: %s" % (name, i + 1, e))


@scenario
def stored_separator_and_hotkey(s):
    # An empty stored separator cuts at commas; hotkey 120 is F9.
    with Scene(s, {"分段符": "", "热键代码": "120"}) as sc:
        sc.drop(sc.write_file("逗号.txt", "一,二\r\n三,,四"), expect_rows=["一", "二\r\n三", "四"])
        sc.editor.focus()
        sc.s.xdo("key", "Tab")  # not the hotkey now: the editor gets a tab
        expect_eq(sc.editor.wait_for("\t"), "\t", "Tab typed into the editor")
        sc.typed = "\t"
        sc.press("一", forward(1), key="F9")
        sc.press("二\r\n三", forward(2), key="F9")


@scenario
def utf8_file_and_menu(s):
    with Scene(s) as sc:
        path = sc.write_file("utf8.txt", "版本一\r\n第二行\r\n", encoding="utf-8")
        sc.drop(path)
        misread = wait_until(sc.nx.row_texts, 10)
        expect(len(misread) >= 1 and misread[0] != "版本一", "UTF-8 bytes shown misread: %r" % misread)
        sc.nx.choose_menu_item(1)  # "修改" does nothing
        s.probe("sync")
        expect_eq(sc.nx.row_texts(), misread, "rows after 修改")
        sc.nx.choose_menu_item(2)  # "utf-8编码"
        expect_eq(sc.nx.wait_rows(["版本一", "第二行"]), ["版本一", "第二行"], "rows after utf-8编码")
        sc.nx.choose_menu_item(2)  # the same bytes again: the same list
        s.probe("sync")
        expect_eq(sc.nx.row_texts(), ["版本一", "第二行"], "rows after a second utf-8编码")
        sc.editor.focus()
        sc.press("版本一", forward(1))


@scenario
def drop_while_a_sequence_runs(s):
    # All remaining items per press with a 3 s wait after each paste: a new
    # file dropped during the first wait is pasted from the cursor on.
    with Scene(s, {"热键方式": "1", "延时": "3000"}) as sc:
        sc.drop(sc.write_file("a.txt", "a1\r\na2\r\na3"), expect_rows=["a1", "a2", "a3"])
        sc.editor.focus()
        s.xdo("key", "Tab")
        expect_eq(sc.editor.wait_for("a1"), "a1", "first paste")
        sc.drop(sc.write_file("b.txt", "b1\r\nb2\r\nb3"))
        sc.editor.focus()  # keys go where the pointer is
        expect_eq(sc.nx.wait_rows(["b1", "b2", "b3"], timeout=2), ["b1", "b2", "b3"], "rows of the new file")
        # b2 and b3, not a2: the drop came during the first wait, and the
        # sequence went on from the cursor on the new list.
        expect_eq(sc.editor.wait_for("a1b2b3", timeout=10), "a1b2b3", "sequence continued on the new list")
        expect_eq(sc.nx.wait_title(forward(3), timeout=10), forward(3), "title once the last wait is over")


@scenario
def busy_clipboard_pastes_nothing_stale(s):
    with Scene(s) as sc:
        sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
        s.probe("setclip", hex_text("STALE"))
        holder = s.probe_in_background("holdclip", 4000)
        expect(holder.stdout.readline().strip() == b"held", "another program holds the clipboard")
        sc.editor.focus()
        sc.press(None, forward(1))  # the segment could not be placed: nothing is pasted
        s.stop(holder, timeout=15)
        sc.press(ROWS[1], forward(2))


SCENARIOS = [f for f in list(globals().values()) if getattr(f, "scenario", False)]
