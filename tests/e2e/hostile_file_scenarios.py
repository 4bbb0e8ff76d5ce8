"""Hostile input to the real program: files of any size and content dropped
on it, files that cannot be read, odd separators and settings files. Each
ends in a defined state: the rows the rules give, or an empty list as for an
unreadable file; the program keeps running and pastes. Prints what happened,
how long it took and the memory it took."""
import os
import random
import time

from harness import DragSource, hex_text, wait_until, wine_path
from scenarios import Scene, expect, expect_eq, scenario


def pastes_still(sc, expected):
    """A press still pastes the first row: the program is alive and sound."""
    sc.editor.clear()
    sc.typed = ""
    sc.s.click(*sc.nx.row_point(0))
    sc.editor.focus()
    sc.press(expected)


@scenario
def hostile_files_end_in_a_defined_state(s):
    random.seed(12)
    cases = [
        # (what, file bytes, rows expected; None: one row, not GBK)
        ("zero byte early: the text ends there", b"abc\r\ndef\x00ghi\r\njkl", ["abc", "def"]),
        ("UTF-16 with byte-order mark: FF FE 'a', then a zero byte", "ab\r\ncd".encode("utf-16"), None),
        ("UTF-16 without byte-order mark", "ab\r\ncd".encode("utf-16-le"), ["a"]),
    ]
    with Scene(s) as sc:
        for what, data, rows in cases:
            t0 = time.monotonic()
            sc.drop(sc.write_file("hostile.txt", data), expect_rows=rows)
            if rows is None:
                expect(wait_until(lambda: sc.nx.count() == 1, 10), "%s: %d rows" % (what, sc.nx.count()))
            print("     %s: %d rows, %.2f s" % (what, sc.nx.count(), time.monotonic() - t0))
        # Random bytes without a zero: rows of whatever they are, the program unharmed.
        noise = bytes(random.choice(range(1, 256)) for _ in range(200000))
        t0 = time.monotonic()
        sc.drop(sc.write_file("noise.bin", noise))
        expect(wait_until(lambda: sc.nx.count() > 0, 10), "random bytes listed")
        print("     200 KB of random bytes: %d rows, %.2f s" % (sc.nx.count(), time.monotonic() - t0))
        sc.drop(sc.write_file("after.txt", "之后\r\n第二"), expect_rows=["之后", "第二"])
        pastes_still(sc, "之后")


@scenario
def malformed_utf8_read_again_as_utf8(s):
    good = "好的 ok".encode("utf-8")
    lines = [good, b"\xC3\x28 bad pair", b"\xE2\x82 cut short", b"\xC0\xAF overlong", b"\xED\xA0\x80 surrogate",
             b"\xF8\x88\x80\x80\x80 five bytes", b"\xFF\xFE", good + b"\xE4\xB8"]
    with Scene(s) as sc:
        sc.drop(sc.write_file("坏的utf8.txt", b"\r\n".join(lines)))
        expect(wait_until(lambda: sc.nx.count() == len(lines), 10), "listed as GBK")
        sc.nx.choose_menu_item(2)  # "utf-8编码"
        expect(wait_until(lambda: sc.nx.cell(0) == "好的 ok", 10), "read again as UTF-8: %r" % sc.nx.cell(0))
        rows = [sc.nx.cell(i) for i in range(sc.nx.count())]
        print("     malformed UTF-8 read as UTF-8: %r" % rows)
        expect_eq(len(rows), len(lines), "one row a line")
        expect(rows[1].endswith("( bad pair") and rows[2].endswith("cut short") and rows[-1].startswith("好的 ok"),
               "what is valid stays: %r" % rows)
        pastes_still(sc, "好的 ok")


@scenario
def files_that_cannot_be_read_empty_the_list(s):
    with Scene(s) as sc:
        folder = os.path.join(s.scratch, "测试 目录 (2)")
        os.makedirs(folder, exist_ok=True)
        spaced = os.path.join(folder, "客户 名单 2024.txt")
        with open(spaced, "wb") as f:
            f.write("张三\r\n李四".encode("gbk"))
        sc.drop(spaced, expect_rows=["张三", "李四"])

        # Held open without sharing by another program: unreadable.
        holder = s.probe_in_background("holdfile", hex_text(wine_path(spaced)), 30000)
        try:
            expect(holder.stdout.readline().strip() == b"held", "the file is held")
            sc.drop(spaced, expect_rows=[])
        finally:
            holder.kill()
        sc.drop(spaced, expect_rows=["张三", "李四"])

        # Gone between the drag and the drop.
        source = DragSource(s, [spaced])
        try:
            source.drag_onto(sc.nx.list_point())
            os.remove(spaced)
            s.xdo("mouseup", 1)
            source.proc.wait(timeout=20)
        finally:
            source.close()
        expect_eq(sc.nx.wait_rows([]), [], "a vanished file empties the list")
        expect_eq(sc.nx.pid() is not None, True, "still running")


@scenario
def odd_separators_and_settings_files(s):
    long_separator = "分隔" * 40
    cases = [
        # (settings, file text, rows)
        ({"分段符": long_separator}, "短文件", ["短文件"]),                  # longer than the file
        ({"分段符": "@"}, b"\x81@x@y", [b"\x81@x".decode("gbk"), "y"]),    # '@' is also a second byte
        ({"分段符": "\xb0"}, "啊啊x", ["啊啊x"]),                             # a first byte alone cuts nothing
    ]
    for settings, text, rows in cases:
        with Scene(s, settings) as sc:
            sc.drop(sc.write_file("sep.txt", text), expect_rows=rows)
    # A 20 KB value: the settings are read into 10,240 bytes, so the
    # separator is its first 10,239; the hotkey code saturates (no hotkey).
    with Scene(s, {"分段符": "|" * 20000, "热键代码": "9" * 20000}) as sc:
        sc.drop(sc.write_file("sep.txt", "a" + "|" * 20000 + "b"), expect_rows=["a", "|" * (20000 - 10239) + "b"])
    # Bytes that are not GBK as the separator and the delay.
    bad = b"[start]\r\n" + "分段符".encode("gbk") + b"=\xff\xfe\x80\r\n" + "延时".encode("gbk") + b"=\xff\xff\r\n"
    with Scene(s, bad) as sc:
        # Its last byte begins a character: it matches only where the text ends.
        sc.drop(sc.write_file("bad.txt", b"one\xff\xfe\x80"), expect_rows=["one"])
        pastes_still(sc, "one")


@scenario
def a_500_megabyte_file(s):
    block_lines = ["第%06d行 客户名称 abcdef" % i for i in range(40000)]
    block = ("\r\n".join(block_lines) + "\r\n").encode("gbk")
    repeats = (500 << 20) // len(block) + 1
    with Scene(s) as sc:
        path = os.path.join(s.scratch, "大文件.txt")
        with open(path, "wb") as f:
            for _ in range(repeats):
                f.write(block)
        size_mb = os.path.getsize(path) / 1048576
        before = sc.nx.memory_mb()
        t0 = time.monotonic()
        sc.drop(path)
        rows = len(block_lines) * repeats
        listed = wait_until(lambda: sc.nx.count() == rows, 120, 0.2)
        took = time.monotonic() - t0
        grown = sc.nx.memory_mb() - before
        os.remove(path)
        print("     %.0f MB, %d rows: %s after %.1f s; memory +%.0f MB = %.2f x" % (
            size_mb, rows, "listed" if listed else "NOT listed (count %d)" % sc.nx.count(), took, grown, grown / size_mb))
        expect(listed, "the 500 MB file listed")
        expect_eq(sc.nx.cell(rows - 1), block_lines[-1], "its last row")
        pastes_still(sc, block_lines[0])


SCENARIOS = [hostile_files_end_in_a_defined_state, malformed_utf8_read_again_as_utf8,
             files_that_cannot_be_read_empty_the_list, odd_separators_and_settings_files, a_500_megabyte_file]
