"""End-to-end scenarios of the paste hand-over: every segment reaches the
focused program exactly once and in order, however fast the presses come and
however busy the machine is; clipboard monitors, a window that ignores the
paste, the clipboard's formats, and what stays on it when the program ends."""
import time

from harness import BusyProcessors, ClipboardMonitor, Editor, SettingsWindow, text_of_hex, wait_until
from scenarios import ROWS, GBK_TEXT, Failure, Scene, expect, expect_eq, forward, position, scenario

SEGMENTS = ["r%02d" % i for i in range(1, 41)]
SEGMENT_TEXT = "\r\n".join(SEGMENTS) + "\r\n"
ALL_REMAINING_NO_DELAY = {"热键方式": "1", "延时": "0"}
REVERSE, REPEAT = 1002, 1003  # settings window controls


def expect_segments(sc, segments, timeout):
    """The editor ends up holding exactly these segments, in this order."""
    wanted = "".join(segments)
    got = sc.editor.wait_for(wanted, timeout)
    if got != wanted:
        pieces = [got[i:i + 3] for i in range(0, len(got), 3)]
        raise Failure("editor received %d pastes, wanted %d in order: %s" % (len(pieces), len(segments),
                                                                              " ".join(pieces)))


def paste_forty(s, settings, press):
    with Scene(s, settings) as sc:
        sc.drop(sc.write_file("forty.txt", SEGMENT_TEXT), expect_rows=SEGMENTS)
        sc.editor.focus()
        t0 = time.monotonic()
        press()
        expect_segments(sc, SEGMENTS, 60)
        took = time.monotonic() - t0
        expect_eq(sc.nx.wait_title(forward(40)), forward(40), "title after the last segment")
        return took


def forty_both_ways(s, label):
    took = paste_forty(s, ALL_REMAINING_NO_DELAY, lambda: s.xdo("key", "Tab"))
    print("     %s, all remaining, delay 0: 40 segments in %.2f s" % (label, took))
    # One per press, the presses as fast as xdotool sends them.
    took = paste_forty(s, {"延时": "0"}, lambda: s.xdo("key", "--delay", "0", *["Tab"] * 40))
    print("     %s, 40 presses, delay 0: 40 segments in %.2f s" % (label, took))


@scenario
def every_segment_once_and_in_order(s):
    forty_both_ways(s, "idle")


@scenario
def every_segment_once_and_in_order_on_a_busy_machine(s):
    with BusyProcessors():
        forty_both_ways(s, "busy")


@scenario
def clipboard_monitors_are_not_taken_for_the_target(s):
    polite = ClipboardMonitor(s, polite=True)
    try:
        paste_forty(s, ALL_REMAINING_NO_DELAY, lambda: s.xdo("key", "Tab"))
        expect_eq(polite.reads(), [], "a monitor that honours the markers read nothing")
        expect(polite.lines().count("skip") >= 40, "it saw every change: %d" % polite.lines().count("skip"))
    finally:
        polite.close()
    # A monitor that reads everything reads each text as soon as it is on
    # the clipboard, before the target does: the hand-over cannot see the
    # target's read then and waits its bound, and a target whose paste finds
    # the clipboard held open by the monitor pastes nothing. What arrives must
    # still be in order, and nothing twice.
    greedy = ClipboardMonitor(s, polite=False)
    try:
        with Scene(s, ALL_REMAINING_NO_DELAY) as sc:
            sc.drop(sc.write_file("five.txt", "\r\n".join(SEGMENTS[:5])), expect_rows=SEGMENTS[:5])
            sc.editor.focus()
            t0 = time.monotonic()
            s.xdo("key", "Tab")
            expect_eq(sc.nx.wait_title(forward(5), 15), forward(5), "the sequence ended")
            took = time.monotonic() - t0
            got = sc.editor.text()
            pieces = [got[i:i + 3] for i in range(0, len(got), 3)]
            expect(pieces == sorted(set(pieces)) and set(pieces) <= set(SEGMENTS[:5]),
                   "in order and each once: %r" % pieces)
            print("     greedy monitor: %d of 5 segments arrived, in order, in %.1f s; the monitor read %d"
                  % (len(pieces), took, len(greedy.reads())))
    finally:
        greedy.close()


@scenario
def a_window_that_ignores_the_paste_costs_the_bound_only(s):
    with Scene(s, ALL_REMAINING_NO_DELAY) as sc:
        ignoring = Editor(s, y=520, h=200, readonly=True)  # Ctrl+V does nothing there
        try:
            sc.drop(sc.write_file("five.txt", "\r\n".join(SEGMENTS[:5])), expect_rows=SEGMENTS[:5])
            row = sc.nx.row_point(2)
            ignoring.focus()
            # The sequence changes the title about once a second; one and a
            # half seconds without a change means it is over.
            watch = s.probe_in_background("watchtitle", 12000, 1500)
            first = watch.stdout.readline()  # the watch has begun
            s.xdo("key", "Tab")
            # In the middle of the sequence, once the first paste has waited
            # out its bound: a click on row 3, answered at once.
            expect_eq(sc.nx.wait_title(forward(1), 3), forward(1), "first paste over")
            s.click(*row)
            lines = (first + watch.communicate(timeout=30)[0]).decode().split()
        finally:
            ignoring.close()
        titles = [(int(lines[i]), text_of_hex(lines[i + 1])) for i in range(0, len(lines) - 1, 2)]
        changes = [(t, title) for t, title in titles if title != "Vorpa.Nexlune"]
        expect(any(title == position(3) for _, title in changes), "the click was answered: %r" % changes)
        # Each of the 5 pastes waits about the 1 s bound for a reader that
        # never comes: the first title comes after one bound, the last after five.
        span = (changes[-1][0] - changes[0][0]) / 1000
        print("     ignored paste: 5 pastes, titles %r" % changes)
        expect(3.5 <= span <= 6.5, "5 pastes took about 5 x the bound: %.1f s between first and last" % span)
        expect_eq(ignoring.text(), "", "nothing was pasted")


@scenario
def clipboard_formats_and_the_text_left_after_exit(s):
    with Scene(s) as sc:
        sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
        sc.editor.focus()
        sc.press(ROWS[0], forward(1))
        formats = dict(line.split(" ", 1) for line in s.probe("clipformats"))
        expect_eq(formats.get("text"), ROWS[0].encode("gbk").hex(), "CF_TEXT: the row's GBK bytes")
        expect_eq(formats.get("unicode"), ROWS[0].encode("utf-8").hex(), "CF_UNICODETEXT: the same characters")
        locale = formats.get("locale", "- system +").split()  # "<lcid> system <lcid>"
        expect_eq(locale[0], locale[2], "CF_LOCALE: the system default locale")
        sc.press(ROWS[1], forward(2))
        sc.nx.close()
        expect_eq(sc.nx.proc.returncode, 0, "program ended")
        left = s.probe("getclip")
        expect_eq(bytes.fromhex(left[0]).decode("utf-8") if left else None, ROWS[1],
                  "the last pasted segment is still on the clipboard")


@scenario
def changing_the_order_during_a_sequence_keeps_its_direction(s):
    rows = SEGMENTS[:4]
    with Scene(s, {"热键方式": "1", "延时": "1200"}) as sc:
        sc.drop(sc.write_file("four.txt", "\r\n".join(rows)), expect_rows=rows)
        SettingsWindow(sc.nx)
        sc.editor.focus()
        s.xdo("key", "Tab")
        expect_eq(sc.editor.wait_for(rows[0]), rows[0], "first paste")
        s.probe("clickctl", REVERSE)  # "倒序" while the sequence runs
        expect_eq(sc.editor.wait_for("".join(rows[:2])), "".join(rows[:2]), "second paste still forward")
        s.probe("clickctl", REPEAT)  # and "单序"
        expect_segments(sc, rows, 15)
        expect_eq(sc.nx.wait_title(forward(4)), forward(4), "title at the end")


@scenario
def closing_the_window_ends_a_running_sequence(s):
    rows = SEGMENTS[:5]
    with Scene(s, {"热键方式": "1", "延时": "1500"}) as sc:
        sc.drop(sc.write_file("five.txt", "\r\n".join(rows)), expect_rows=rows)
        sc.editor.focus()
        s.xdo("key", "Tab")
        expect_eq(sc.editor.wait_for(rows[0]), rows[0], "first paste")
        t0 = time.monotonic()
        s.probe("close")
        expect(wait_until(lambda: sc.nx.proc.poll() is not None, 10), "the program ended")
        print("     closed during a sequence: ended %.1f s later" % (time.monotonic() - t0))
        expect_eq(sc.editor.text(), rows[0], "nothing pasted after the window was closed")


SCENARIOS = [f for f in list(globals().values()) if getattr(f, "scenario", False)]
