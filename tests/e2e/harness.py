"""Runs Windows programs under Wine on a private X display and drives them
through the X server, as a person at the keyboard and mouse would."""
import os
import shutil
import signal
import subprocess
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WIN64 = os.path.join(ROOT, "build", "win64")


def wine_path(unix_path):
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def wait_until(predicate, timeout, interval=0.1):
    """Polls predicate until it returns a true value or timeout seconds pass."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


class BusyProcessors:
    """Keeps every processor busy for the length of a with-block, as other
    programs do on a user's machine; the children are ended by their ids."""

    def __init__(self, count=None):
        self.count = count or os.cpu_count() or 2
        self.procs = []

    def __enter__(self):
        self.procs = [subprocess.Popen(["sh", "-c", "while :; do :; done"]) for _ in range(self.count)]
        return self

    def __exit__(self, *exc):
        for proc in self.procs:
            proc.kill()
            proc.wait()


class WineSession:
    """A private Xvfb display, HOME and WINEPREFIX; every process it starts
    is ended by close()."""

    def __init__(self, scratch, width=1024, height=768):
        self.scratch = scratch
        shutil.rmtree(scratch, ignore_errors=True)
        self.home = os.path.join(scratch, "home")
        os.makedirs(self.home)
        self.display = self._free_display()
        self.env = dict(os.environ)
        self.env.update({
            "HOME": self.home,
            "WINEPREFIX": os.path.join(scratch, "prefix"),
            "WINEDEBUG": "-all",
            "WINEDLLOVERRIDES": "mscoree,mshtml=",
            "LC_ALL": "zh_CN.UTF-8",
            "DISPLAY": ":%d" % self.display,
        })
        self.env.pop("WAYLAND_DISPLAY", None)
        self.procs = []
        self.xvfb = subprocess.Popen(
            ["Xvfb", ":%d" % self.display, "-screen", "0", "%dx%dx24" % (width, height), "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
        if not wait_until(lambda: os.path.exists("/tmp/.X11-unix/X%d" % self.display), 20):
            self.close()
            raise RuntimeError("Xvfb did not start")
        subprocess.run(["wineboot", "-i"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=180)
        self.wineserver = subprocess.Popen(["wineserver", "-p", "-f"], env=self.env, stdout=subprocess.DEVNULL,
                                           stderr=subprocess.DEVNULL, start_new_session=True)
        self.documents = os.path.realpath(os.path.join(self.env["WINEPREFIX"], "drive_c", "users",
                                                       os.environ.get("USER", "root"), "Documents"))

    @staticmethod
    def _free_display():
        for n in range(91, 190):
            if not os.path.exists("/tmp/.X11-unix/X%d" % n) and not os.path.exists("/tmp/.X%d-lock" % n):
                return n
        raise RuntimeError("no free X display")

    def start(self, exe, *args):
        proc = subprocess.Popen(["wine", exe] + list(args), env=self.env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL, start_new_session=True)
        self.procs.append(proc)
        return proc

    def run(self, exe, *args, timeout=60):
        r = subprocess.run(["wine", exe] + list(args), env=self.env, capture_output=True, timeout=timeout)
        return r.returncode, r.stdout.decode("utf-8", "replace")

    def probe(self, *args):
        _, out = self.run(os.path.join(WIN64, "probe.exe"), *[str(a) for a in args], timeout=30)
        return out.strip().splitlines()

    def probe_in_background(self, *args):
        """A probe command that runs alongside; its lines from communicate()."""
        return subprocess.Popen(["wine", os.path.join(WIN64, "probe.exe")] + [str(a) for a in args], env=self.env,
                                stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, start_new_session=True)

    def xdo(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=30)

    def click(self, x, y, button=1):
        self.xdo("mousemove", x, y)
        time.sleep(0.15)
        self.xdo("click", button)
        time.sleep(0.2)

    def drag(self, start, end, steps=8):
        self.xdo("mousemove", *start)
        time.sleep(0.3)
        self.xdo("mousedown", 1)
        time.sleep(0.4)
        for i in range(1, steps + 1):
            x = start[0] + (end[0] - start[0]) * i // steps
            y = start[1] + (end[1] - start[1]) * i // steps
            self.xdo("mousemove", x, y)
            time.sleep(0.08)
        time.sleep(0.3)
        self.xdo("mouseup", 1)

    def screenshot(self, path):
        subprocess.run(["import", "-window", "root", path], env=self.env, timeout=60,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def pixel(self, png, x, y):
        """The (r, g, b) of one pixel of a screenshot."""
        out = subprocess.run(["convert", png, "-format", "%%[pixel:p{%d,%d}]" % (x, y), "info:"],
                             capture_output=True, text=True, timeout=60).stdout
        inside = out[out.index("(") + 1:out.index(")")]
        return tuple(int(float(v)) for v in inside.split(",")[:3])

    def stop(self, proc, timeout=10):
        try:
            proc.wait(timeout=timeout)
        except subprocess.TimeoutExpired:
            os.killpg(proc.pid, signal.SIGKILL)
            proc.wait()

    def close(self):
        for proc in self.procs:
            if proc.poll() is None:
                try:
                    os.killpg(proc.pid, signal.SIGKILL)
                except ProcessLookupError:
                    pass
                proc.wait()
        subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=30)
        for proc in [getattr(self, "wineserver", None), self.xvfb]:
            if proc and proc.poll() is None:
                os.killpg(proc.pid, signal.SIGKILL)
                proc.wait()


class Editor:
    """The test editor: a window whose text we can read back at any time."""

    def __init__(self, session, x=700, y=0, w=320, h=300, readonly=False):
        self.session = session
        self.out = os.path.join(session.scratch, "editor-%d.txt" % int(time.monotonic() * 1000))
        self.proc = session.start(os.path.join(WIN64, "editor.exe"), wine_path(self.out), str(x), str(y), str(w),
                                  str(h), *(["readonly"] if readonly else []))
        self.center = (x + w // 2, y + h // 2)
        if not wait_until(lambda: os.path.exists(self.out), 30):
            raise RuntimeError("editor did not start")

    def text(self):
        try:
            with open(self.out, encoding="utf-8", newline="") as f:
                return f.read()
        except OSError:
            return ""

    def focus(self):
        self.session.click(*self.center)

    def wait_for(self, expected, timeout=5):
        """The editor's text once it equals expected, or whatever it holds after timeout."""
        return wait_until(lambda: self.text() == expected and expected, timeout) or self.text()

    def close(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()


class Nexlune:
    """The program under test, read from outside through the probe."""

    def __init__(self, session, exe=None):
        self.session = session
        self.proc = session.start(exe or os.path.join(WIN64, "nexlune.exe"))
        if not wait_until(lambda: self.session.probe("title") not in ([], ["none"]), 30, 0.3):
            raise RuntimeError("Nexlune did not show its window")

    @property
    def settings_dir(self):
        return os.path.join(self.session.documents, "brenko", "Quilvo", "set")

    def title(self):
        lines = self.session.probe("title")
        return lines[0] if lines else ""

    def rows(self):
        lines = self.session.probe("rows")
        if not lines or lines[0] == "none":
            return None
        out = []
        for line in lines[1:]:
            num, _, text = line.partition(" ")
            out.append((bytes.fromhex(num).decode("utf-8"), bytes.fromhex(text).decode("utf-8")))
        return out

    def row_texts(self):
        rows = self.rows()
        return None if rows is None else [t for _, t in rows]

    def wait_rows(self, expected, timeout=10):
        return wait_until(lambda: (lambda r: r if r == expected else None)(self.row_texts()), timeout, 0.3) \
            or self.row_texts()

    def wait_title(self, expected, timeout=5):
        return wait_until(lambda: (lambda t: t if t == expected else None)(self.title()), timeout, 0.2) \
            or self.title()

    def selected(self):
        return int(self.session.probe("selected")[0])

    def row_point(self, row):
        x, y = self.session.probe("rowpoint", row)[0].split()
        return int(x), int(y)

    def list_point(self):
        x, y = self.session.probe("listpoint")[0].split()
        return int(x), int(y)

    def choose_menu_item(self, index, count=3):
        """Right-clicks the list and clicks item index of the pop-up menu."""
        self.session.click(*self.list_point(), button=3)
        popup = wait_until(lambda: (lambda p: p if p and p[0] != "none" else None)(self.session.probe("popup")), 5)
        if not popup:
            raise RuntimeError("no pop-up menu")
        left, top, width, height = map(int, popup[0].split())
        item_height = (height - 4) // count
        self.session.click(left + width // 2, top + 2 + item_height * index + item_height // 2)

    def pid(self):
        lines = self.session.probe("pid")
        return lines[0] if lines and lines[0] != "none" else None

    def close(self):
        """Closes the running Nexlune, also one that a restart brought up."""
        self.session.probe("close")
        self.session.stop(self.proc)
        wait_until(lambda: self.session.probe("title") in ([], ["none"]), 15, 0.3)


def _hex_text(h):
    return bytes.fromhex(h).decode("utf-8")


class SettingsWindow:
    """The settings window, opened through the list's pop-up menu."""

    def __init__(self, nx):
        self.s = nx.session
        nx.choose_menu_item(0)  # "设置"
        if not wait_until(self.info, 10, 0.3):
            raise RuntimeError("the settings window did not open")

    def info(self):
        lines = self.s.probe("settings")
        if not lines or lines[0] == "none":
            return None
        x, y, w, h, style, exstyle, owned, title = lines[0].split()
        return {"rect": (int(x), int(y), int(w), int(h)), "style": int(style, 16), "exstyle": int(exstyle, 16),
                "owned": owned == "1", "title": _hex_text(title)}

    def close(self):
        self.s.probe("closesettings")
        wait_until(lambda: not self.info(), 10, 0.3)

    def point(self, control):
        x, y = self.s.probe("ctlpoint", control)[0].split()
        return int(x), int(y)

    def click(self, control):
        self.s.click(*self.point(control))

    def checked(self, control):
        return self.s.probe("checked", control)[0] == "1"

    def text(self, control):
        lines = self.s.probe("ctltext", control)
        return _hex_text(lines[0]) if lines else ""

    def clear(self, control):
        self.click(control)
        self.s.xdo("key", "End")
        self.s.xdo("key", "--repeat", 30, "BackSpace")

    def enter(self, control, text):
        """Replaces the box's text by typing, then presses Enter in it."""
        self.clear(control)
        if text:
            self.s.xdo("type", text)
        self.s.xdo("key", "Return")


class MessageBoxes:
    """The message boxes that Nexlune shows, read and answered from outside."""

    def __init__(self, session):
        self.s = session

    def shown(self):
        lines = self.s.probe("boxes")
        out = []
        for line in lines[1:]:
            title, text, owner = line.split(" ")
            out.append({"title": _hex_text(title), "text": _hex_text(text), "owner": owner})
        return out

    def wait_shown(self, timeout=10):
        return wait_until(self.shown, timeout, 0.3)

    def wait_gone(self, timeout=15):
        gone = wait_until(lambda: not self.shown(), timeout, 0.3)
        # Without a window manager Wine takes about 2 s more to hand the focus
        # back after a box closes; a click before that is undone.
        time.sleep(2.5)
        return gone

    def answer(self, button_id):
        x, y = self.s.probe("boxbutton", button_id)[0].split()
        self.s.click(int(x), int(y))


class DragSource:
    """A window that drags the given files with real OLE drag and drop."""

    def __init__(self, session, paths, x=700, y=420):
        self.session = session
        self.point = (x + 60, y + 40)
        self.proc = session.start(os.path.join(WIN64, "dragsrc.exe"), str(x), str(y),
                                  *[wine_path(p) for p in paths])
        # A cold prefix can take seconds to show the first window of a program.
        wait_until(lambda: subprocess.run(["xdotool", "search", "--name", "^drag source$"], env=session.env,
                                          capture_output=True, timeout=30).returncode == 0, 30, 0.2)
        time.sleep(0.5)

    def drop_on(self, point, timeout=20):
        """Drags onto point; True once the target has taken the files."""
        self.session.drag(self.point, point)
        try:
            return self.proc.wait(timeout=timeout) == 0
        except Exception:
            return False

    def close(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()


class ClipboardMonitor:
    """A program that reads the clipboard on every change, as clipboard
    history tools do: polite ones skip content marked for them, greedy ones
    read everything."""

    def __init__(self, session, polite):
        self.log = os.path.join(session.scratch, "clipmon-%d.txt" % int(time.monotonic() * 1000))
        self.proc = session.start(os.path.join(WIN64, "clipmon.exe"), wine_path(self.log),
                                  "polite" if polite else "greedy")
        if not wait_until(lambda: "ready" in self.lines(), 30):
            raise RuntimeError("clipboard monitor did not start")

    def lines(self):
        try:
            with open(self.log, encoding="utf-8") as f:
                return f.read().splitlines()
        except OSError:
            return []

    def reads(self):
        return [bytes.fromhex(l[5:]).decode("utf-8") for l in self.lines() if l.startswith("read ")]

    def close(self):
        if self.proc.poll() is None:
            os.killpg(self.proc.pid, signal.SIGKILL)
            self.proc.wait()
