"""Headless demonstration of the main job: Nexlune and an editor on a private
display, a GBK text file dropped on the list by real drag and drop, the
hotkey (Tab) pressed several times, and press by press the title and what
arrived in the editor. Checks that what arrived is the rows in order (the
fourth press wraps around to the first), saves a screenshot, leaves no
process behind, and exits non-zero when anything went wrong."""
import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import ROOT, DragSource, Nexlune, WineSession, end_on_signals, wait_until  # noqa: E402

ROWS = ["张三 13800000001", "李四 13800000002", "王五 13800000003"]


def main():
    end_on_signals()
    shot = os.path.join(ROOT, "build", "demo.png")
    print("starting a private display and Wine prefix ...", flush=True)
    session = None
    problems = []
    try:
        session = WineSession(os.path.join(ROOT, "build", "wine-demo"))
        nx = Nexlune(session)
        editor = session.shared_editor()
        sample = os.path.join(session.scratch, "客户名单.txt")
        text = "".join(row + "\r\n" for row in ROWS)
        with open(sample, "wb") as f:
            f.write(text.encode("gbk"))
        print("dropping %s (GBK, %d bytes) on the list ..." % (os.path.basename(sample), len(text.encode("gbk"))))
        source = DragSource(session, [sample])
        source.drop_on(nx.list_point())
        source.close()
        rows = nx.wait_rows(ROWS)
        for num, row in nx.rows() or []:
            print("  row %s: %s" % (num, row))
        if rows != ROWS:
            problems.append("the list shows %r, not the file's rows" % rows)
        editor.focus()
        received = ""
        for press, row in enumerate(ROWS + ROWS[:1], start=1):
            session.xdo("key", "Tab")
            expected = received + row
            now = editor.wait_for(expected)
            title = nx.wait_title("正序:当前第%d条" % (ROWS.index(row) + 1))
            print("press %d: title %-16s editor received %r" % (press, title, now[len(received):]))
            if now != expected:
                problems.append("press %d pasted %r, not row %r" % (press, now[len(received):], row))
            received = now
        session.probe("paintnow")
        session.screenshot(shot)
        print("editor now holds: %r" % editor.text())
        print("screenshot: %s" % shot)
        nx.close()
        if not wait_until(lambda: nx.proc.poll() is not None, 10):
            problems.append("Nexlune did not end when its window was closed")
    except Exception as e:  # the demonstration itself failed to run
        problems.append("%s: %s" % (type(e).__name__, e))
    finally:
        if session:
            session.close()
    for problem in problems:
        print("PROBLEM: %s" % problem)
    print("the main job works" if not problems else "the main job did NOT work as it should")
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
