"""Large files on the real program: a file of a million lines dropped by
real drag and drop, listed at once, a row near its end clicked and pasted;
the same size of UTF-8 read again with "utf-8编码". Prints the times and the
program's memory."""
import time

from harness import DragSource, wait_until
from scenarios import Scene, expect, expect_eq, scenario

ROWS = 1_000_000


def million_rows(encoding):
    rows = ["第%07d行 客户名称" % i for i in range(1, ROWS + 1)]
    return rows, "\r\n".join(rows).encode(encoding)


def wait_listed(nx, rows, first_text, timeout=30):
    """Until the list has rows and its first row reads first_text; the
    longest the program took to answer a question meanwhile."""
    slowest = [0.0]

    def listed():
        t = time.monotonic()
        done = nx.count() == rows and nx.cell(0) == first_text
        slowest[0] = max(slowest[0], time.monotonic() - t)
        return done

    return wait_until(listed, timeout, 0.02), slowest[0]


@scenario
def million_line_file_is_listed_at_once_and_pastes_from_near_the_end(s):
    rows, data = million_rows("gbk")
    with Scene(s) as sc:
        path = sc.write_file("百万行.txt", data)
        before = sc.nx.memory_mb()
        source = DragSource(s, [path])
        try:
            t0 = time.monotonic()
            expect(source.drop_on(sc.nx.list_point()), "the list took the drop")
            listed, slowest = wait_listed(sc.nx, ROWS, rows[0])
            took = time.monotonic() - t0
        finally:
            source.close()
        expect(listed, "1,000,000 rows listed (count %r)" % sc.nx.count())
        grown = sc.nx.memory_mb() - before
        size_mb = len(data) / 1048576
        print("     1,000,000 lines (%.1f MB): listed %.2f s after the drop; the drag source had its answer "
              "%.2f s after the button was let go; slowest answer meanwhile %.0f ms; memory +%.0f MB = %.2f x"
              % (size_mb, took, source.answered_after, slowest * 1000, grown, grown / size_mb))
        expect(source.answered_after < 2, "the drag source waited %.2f s" % source.answered_after)
        expect(grown < 2.5 * size_mb, "memory grew by %.0f MB for a %.0f MB file" % (grown, size_mb))
        expect_eq((sc.nx.cell(ROWS - 1, 0), sc.nx.cell(ROWS - 1)), ("1000000", rows[-1]), "last row")
        expect_eq(sc.nx.cell(ROWS), "", "a row that does not exist")

        target = ROWS - 10
        s.probe("scrollto", target)
        s.click(*sc.nx.row_point(target))
        expect_eq(sc.nx.wait_title("当前第%d条" % (target + 1)), "当前第%d条" % (target + 1), "title after the click")
        sc.editor.focus()
        sc.press(rows[target], "正序:当前第%d条" % (target + 1))
        expect_eq(sc.nx.selected(), target, "the pasted row is selected")


@scenario
def million_line_utf8_file_read_again_as_utf8(s):
    rows, data = million_rows("utf-8")
    with Scene(s) as sc:
        sc.drop(sc.write_file("百万行-utf8.txt", data))
        expect(wait_until(lambda: sc.nx.count() == ROWS, 30), "the UTF-8 file listed as GBK first")
        before = sc.nx.memory_mb()
        t0 = time.monotonic()
        sc.nx.choose_menu_item(2)  # "utf-8编码"
        listed, slowest = wait_listed(sc.nx, ROWS, rows[0])
        took = time.monotonic() - t0
        expect(listed, "1,000,000 rows read as UTF-8 (first %r)" % sc.nx.cell(0))
        grown = sc.nx.memory_mb() - before
        size_mb = len(data) / 1048576
        print("     utf-8编码 on 1,000,000 lines (%.1f MB of UTF-8): listed %.2f s after the menu click; slowest "
              "answer meanwhile %.0f ms; memory +%.0f MB = %.2f x" % (size_mb, took, slowest * 1000, grown,
                                                                     grown / size_mb))
        expect(grown < 2.5 * size_mb, "memory grew by %.0f MB for a %.0f MB file" % (grown, size_mb))
        expect_eq(sc.nx.cell(ROWS - 1), rows[-1], "last row")


SCENARIOS = [million_line_file_is_listed_at_once_and_pastes_from_near_the_end, million_line_utf8_file_read_again_as_utf8]
