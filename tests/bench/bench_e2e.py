"""Benchmarks on the real program under Wine: processor time that Nexlune
uses while it waits out a 10 s paste delay, and how long a 100,000-row file
takes from the drop until its rows are in the list. Prints numbers only."""
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import ROOT, WIN64, DragSource, wait_until, WineSession  # noqa: E402
from scenarios import Scene  # noqa: E402


def cpu_ms(session):
    return int(session.probe("cputime")[0])


def main():
    session = WineSession(os.path.join(ROOT, "build", "wine-bench"))
    try:
        with Scene(session, {"延时": "10000"}) as sc:
            measure(session, sc)
    finally:
        session.close()


def measure(session, sc):
    sc.drop(sc.write_file("rows.txt", "".join("行%d\r\n" % i for i in range(3))), expect_rows=None)
    sc.editor.focus()
    session.xdo("key", "Tab")
    wait_until(lambda: sc.editor.text(), 5)
    before = cpu_ms(session)
    t0 = time.monotonic()
    wait_until(lambda: sc.nx.title().startswith("正序"), 15, 0.5)  # the title is set after the wait
    wall = time.monotonic() - t0
    used = cpu_ms(session) - before
    print("10 s paste delay: %d ms processor time over %.1f s of waiting" % (used, wall))

    big = sc.write_file("big.txt", "".join("订单%06d 客户名称 abc\r\n" % i for i in range(100000)))
    t0 = time.monotonic()
    # Loading 100,000 rows inside the drop can outlast the drag source's
    # wait for the target, so the source's own verdict is not asked for.
    source = DragSource(session, [big])
    source.drop_on(sc.nx.list_point())
    source.close()
    def loaded():  # the probe's question waits while Nexlune is busy loading
        _, out = session.run(os.path.join(WIN64, "probe.exe"), "count", timeout=600)
        return out.strip() == "100000"
    count = wait_until(loaded, 600, 0.5)
    print("100,000-row file: drop to full list %.1f s (%s)" % (time.monotonic() - t0, "ok" if count else "timeout"))


if __name__ == "__main__":
    main()
