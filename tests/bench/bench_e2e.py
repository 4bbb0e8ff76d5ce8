"""Benchmarks on the real program under Wine: the time from a hotkey press
to the text in the focused program, the segments per second of one press
that pastes all remaining ones (idle and with every processor busy), the
processor time that Nexlune uses while it waits out a 10 s paste delay, and
for files of 100,000 and 1,000,000 lines and of 100 MB the time from the drop
until the drag source has its answer and until the list shows them, and the
memory they take. Prints numbers only.
Usage: bench_e2e.py [--exe OTHER-NEXLUNE.EXE] [paste|wait|load ...]
(--exe runs another build of the program, for a before-and-after comparison)"""
import os
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "e2e"))
from harness import (ROOT, WIN64, BusyProcessors, DragSource, Nexlune, end_on_signals, text_of_hex,  # noqa: E402
                     wait_until, WineSession)
from scenarios import Scene  # noqa: E402


def cpu_ms(session):
    return int(session.probe("cputime")[0])


EXE = None
LIMIT = 300  # seconds a load may take before it counts as not done


def main():
    global EXE
    args = sys.argv[1:]
    if args[:1] == ["--exe"]:
        EXE, args = os.path.abspath(args[1]), args[2:]
    parts = args or ["paste", "wait", "load"]
    end_on_signals()
    session = None
    try:
        session = WineSession(os.path.join(ROOT, "build", "wine-bench"))
        if "paste" in parts:
            measure_paste(session)
        if "wait" in parts or "load" in parts:
            with Scene(session, {"延时": "10000"}, exe=EXE) as sc:
                measure(session, sc, parts)
    finally:
        if session:
            session.close()


def percentile(values, p):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(p * len(ordered)))]


def measure_paste(session):
    # The probe presses the hotkey itself (synthesized, as xdotool's would
    # arrive) and times each press until the editor's text has grown.
    segments = ["段%03d" % i for i in range(200)]
    text = "\r\n".join(segments)
    with Scene(session, {"延时": "0"}, exe=EXE) as sc:
        sc.drop(sc.write_file("bench.txt", text), expect_rows=None)
        sc.editor.focus()
        took = [float(v) for v in session.probe("pressbench", 200)]
        arrived = [t for t in took if t >= 0]
        print("hotkey to text in the editor: median %.1f ms, 95th %.1f ms, worst %.1f ms over %d presses "
              "(%d missed)" % (percentile(arrived, 0.5), percentile(arrived, 0.95), max(arrived), len(took),
                               len(took) - len(arrived)))
    for label, busy in [("idle", False), ("both processors busy", True)]:
        with Scene(session, {"热键方式": "1", "延时": "0"}, exe=EXE) as sc:
            sc.drop(sc.write_file("bench.txt", text), expect_rows=None)
            sc.editor.focus()
            chars = sum(len(s) for s in segments)
            if busy:
                with BusyProcessors():
                    line = session.probe("streambench", chars)[0].split()
            else:
                line = session.probe("streambench", chars)[0].split()
            first, last = float(line[1]), float(line[3])
            got = sc.editor.text()
            pieces = [got[i:i + 4] for i in range(0, len(got), 4)]
            lost = len(set(segments) - set(pieces))
            repeated = len(pieces) - len(set(pieces))
            print("all remaining, delay 0, %s: %d pastes in %.2f s = %.0f segments/s (first after %.1f ms); "
                  "%s" % (label, len(pieces), last / 1000, len(pieces) / (last / 1000), first,
                          "all 200 once and in order" if got == "".join(segments) else
                          "%d segments lost, %d pastes repeated an earlier one" % (lost, repeated)))


def measure(session, sc, parts):
    if "wait" in parts:
        measure_wait(session, sc)
    if "load" in parts:
        measure_load(session, sc)


def measure_wait(session, sc):
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


def measure_load(session, sc):
    """Files of 100,000 and 1,000,000 lines and of 100 MB, each dropped by
    real drag and drop on a freshly started program: the time from letting
    go of the button until the drag source has its answer, until the list
    has its count and its first row (asked through the control, as another
    program would), and the growth of the program's memory."""
    sc.nx.end()
    files = [("100,000 lines", 100000, 0), ("1,000,000 lines", 1000000, 0), ("100 MB", 0, 100)]
    for name, rows, megabytes in files:
        lines = []
        size = 0
        while (len(lines) < rows) if rows else (size < megabytes << 20):
            lines.append("订单%07d 客户名称 abc" % len(lines))
            size += 26  # its GBK bytes and CR LF
        data = "\r\n".join(lines).encode("gbk")
        path = sc.write_file("big.txt", data)
        nx = Nexlune(session, EXE)
        before = nx.memory_mb()
        source = DragSource(session, [path])
        source.drag_onto(nx.list_point())
        session.xdo("mouseup", 1)
        t0 = time.monotonic()
        answered = None

        def wait_for_source():
            nonlocal answered
            source.proc.wait()
            answered = time.monotonic() - t0
        waiter = threading.Thread(target=wait_for_source, daemon=True)
        waiter.start()

        def listed():
            # The probe's questions wait while the program is busy.
            if session.probe("count", timeout=LIMIT) != [str(len(lines))]:
                return False
            return text_of_hex(session.probe("cell", 0, 1, timeout=LIMIT)[0]) == lines[0]

        ok = wait_until(listed, LIMIT, 0.01)
        took = time.monotonic() - t0
        waiter.join(LIMIT)
        grown = nx.memory_mb() - before
        mb = len(data) / 1048576
        print("%-16s %6.1f MB: drag source answered after %5.2f s, list with its count and first row after "
              "%6.2f s%s; memory +%.0f MB = %.2f x the file" % (name, mb, answered, took, "" if ok else " (TIMEOUT)",
                                                               grown, grown / mb))
        source.close()
        nx.end()


if __name__ == "__main__":
    main()
