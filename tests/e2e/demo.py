"""Headless demonstration of the main job: Nexlune and an editor on a private
display, a GBK text file dropped on the list by real drag and drop, the
hotkey (Tab) pressed several times, and press by press the title and what
arrived in the editor. Saves a screenshot and leaves no process behind."""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import ROOT, DragSource, Editor, Nexlune, WineSession  # noqa: E402


def main():
    shot = os.path.join(ROOT, "build", "demo.png")
    print("starting a private display and Wine prefix ...", flush=True)
    session = WineSession(os.path.join(ROOT, "build", "wine-demo"))
    try:
        nx = Nexlune(session)
        editor = Editor(session)
        sample = os.path.join(session.scratch, "客户名单.txt")
        text = "张三 13800000001\r\n李四 13800000002\r\n王五 13800000003\r\n"
        with open(sample, "wb") as f:
            f.write(text.encode("gbk"))
        print("dropping %s (GBK, %d bytes) on the list ..." % (os.path.basename(sample), len(text.encode("gbk"))))
        source = DragSource(session, [sample])
        source.drop_on(nx.list_point())
        source.close()
        time.sleep(0.5)
        for num, row in nx.rows() or []:
            print("  row %s: %s" % (num, row))
        editor.focus()
        before = editor.text()
        for press in range(1, 5):
            session.xdo("key", "Tab")
            time.sleep(0.8)
            now = editor.text()
            print("press %d: title %-16s editor received %r" % (press, nx.title(), now[len(before):]))
            before = now
        session.screenshot(shot)
        print("editor now holds: %r" % editor.text())
        print("screenshot: %s" % shot)
        editor.close()
        nx.close()
    finally:
        session.close()


if __name__ == "__main__":
    main()
