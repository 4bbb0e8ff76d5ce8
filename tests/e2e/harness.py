"""Runs Windows programs under Wine on a private X display and drives them
through the X server, as a person at the keyboard and mouse would. Every
wait is for a condition, with a bound."""
import fcntl
import os
import queue
import select
import shutil
import signal
import subprocess
import threading
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WIN64 = os.path.join(ROOT, "build", "win64")
PREFIX_TEMPLATE = os.path.join(ROOT, "build", "wine-prefix-template")


def wine_path(unix_path):
    return "Z:" + os.path.abspath(unix_path).replace("/", "\\")


def wait_until(predicate, timeout, interval=0.05):
    """Polls predicate until it returns a true value or timeout seconds pass."""
    deadline = time.monotonic() + timeout
    while True:
        value = predicate()
        if value or time.monotonic() >= deadline:
            return value
        time.sleep(interval)


def hex_text(text):
    return text.encode("utf-8").hex()


def text_of_hex(h):
    return bytes.fromhex(h).decode("utf-8")


def end_on_signals():
    """SIGTERM and SIGINT end the run through the normal way out, so that
    every finally-block closes what it started."""
    def leave(signum, _frame):
        raise SystemExit(128 + signum)
    signal.signal(signal.SIGTERM, leave)
    signal.signal(signal.SIGINT, leave)


def kill_group(proc):
    if proc and proc.poll() is None:
        try:
            os.killpg(proc.pid, signal.SIGKILL)
        except ProcessLookupError:
            pass
        proc.wait()


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


def wine_env(prefix, home, display):
    env = dict(os.environ)
    env.update({
        "HOME": home,
        "WINEPREFIX": prefix,
        "WINEDEBUG": "-all",
        "WINEDLLOVERRIDES": "mscoree,mshtml=",
        "LC_ALL": "zh_CN.UTF-8",
        "DISPLAY": display,
    })
    env.pop("WAYLAND_DISPLAY", None)
    return env


def start_xvfb(width, height):
    """A private X server on a display number it chooses itself."""
    read_end, write_end = os.pipe()
    proc = subprocess.Popen(["Xvfb", "-displayfd", str(write_end), "-screen", "0", "%dx%dx24" % (width, height),
                             "-nolisten", "tcp"], pass_fds=(write_end,), stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL, start_new_session=True)
    os.close(write_end)
    number = b""
    ready, _, _ = select.select([read_end], [], [], 30)
    while ready:
        chunk = os.read(read_end, 16)
        if not chunk:
            break
        number += chunk
        if number.endswith(b"\n"):
            break
        ready, _, _ = select.select([read_end], [], [], 5)
    os.close(read_end)
    if not number.strip():
        kill_group(proc)
        raise RuntimeError("Xvfb did not start")
    return proc, ":" + number.decode().strip()


# What the template holds beyond a new prefix; a change here makes it anew.
TEMPLATE_SETTINGS = [
    # The Win32 tests open and close many windows; without a window manager
    # Wine waits 2 s for each managed window to go. Theirs are not managed.
    (r"HKCU\Software\Wine\AppDefaults\platform_tests.exe\X11 Driver", "Managed", "N"),
]


WINE_FONTS = "/usr/share/wine/fonts"


def ensure_prefix_template():
    """A Wine prefix made once (wineboot takes some 10 s); each session
    starts from a copy of it. Callers at the same time wait for one maker."""
    os.makedirs(os.path.dirname(PREFIX_TEMPLATE), exist_ok=True)
    with open(PREFIX_TEMPLATE + ".lock", "w") as lock:
        fcntl.flock(lock, fcntl.LOCK_EX)
        make_prefix_template()


def make_prefix_template():
    stamp = os.path.join(PREFIX_TEMPLATE, "made")
    fonts = sorted(os.listdir(WINE_FONTS)) if os.path.isdir(WINE_FONTS) else []
    version = repr(TEMPLATE_SETTINGS) + repr(("fonts copied", fonts))
    if os.path.exists(stamp) and open(stamp).read() == version:
        return
    shutil.rmtree(PREFIX_TEMPLATE, ignore_errors=True)
    home = os.path.join(PREFIX_TEMPLATE, "home")
    os.makedirs(home)
    xvfb, display = start_xvfb(640, 480)
    try:
        env = wine_env(os.path.join(PREFIX_TEMPLATE, "prefix"), home, display)
        subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=300)
        for key, name, value in TEMPLATE_SETTINGS:
            subprocess.run(["wine", "reg", "add", key, "/v", name, "/t", "REG_SZ", "/d", value, "/f"], env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=60)
        # The server writes the registry when it ends by itself.
        subprocess.run(["wineserver", "-w"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                       timeout=60)
        # Wine's own fonts (Marlett draws the caption buttons, Tahoma the
        # dialogs) come with the fonts-wine package; this Wine does not look
        # for them there, but does in the prefix's Fonts folder.
        if os.path.isdir(WINE_FONTS):
            target = os.path.join(PREFIX_TEMPLATE, "prefix", "drive_c", "windows", "Fonts")
            os.makedirs(target, exist_ok=True)
            for name in os.listdir(WINE_FONTS):
                if name.endswith(".ttf"):
                    shutil.copy(os.path.join(WINE_FONTS, name), target)
    finally:
        kill_group(xvfb)
    with open(stamp, "w") as f:
        f.write(version)


class Probe:
    """The probe as one long-lived process answering commands on its input."""

    def __init__(self, env):
        self.proc = subprocess.Popen(["wine", os.path.join(WIN64, "probe.exe"), "serve"], env=env,
                                     stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL,
                                     start_new_session=True)
        self.lines = queue.Queue()
        threading.Thread(target=self._read, daemon=True).start()

    def _read(self):
        for raw in self.proc.stdout:
            self.lines.put(raw.decode("utf-8", "replace").rstrip("\r\n"))
        self.lines.put(None)

    def ask(self, *args, timeout=30):
        self.proc.stdin.write((" ".join(str(a) for a in args) + "\n").encode())
        self.proc.stdin.flush()
        answer = []
        deadline = time.monotonic() + timeout
        while True:
            line = self.lines.get(timeout=max(0.1, deadline - time.monotonic()))
            if line is None:
                raise RuntimeError("the probe ended")
            if line == ".":
                return answer
            answer.append(line)

    def alive(self):
        return self.proc.poll() is None

    def close(self):
        kill_group(self.proc)


class WineSession:
    """A private Xvfb display, HOME and WINEPREFIX; every process it starts
    is ended by close()."""

    def __init__(self, scratch, width=1024, height=768, dpi=None):
        self.scratch = scratch
        self.procs = []
        self.xvfb = self.wineserver = self._probe = self._editor = None
        shutil.rmtree(scratch, ignore_errors=True)
        self.home = os.path.join(scratch, "home")
        os.makedirs(self.home)
        try:
            self.xvfb, display = start_xvfb(width, height)
            ensure_prefix_template()
            prefix = os.path.join(scratch, "prefix")
            subprocess.run(["cp", "-a", os.path.join(PREFIX_TEMPLATE, "prefix"), prefix], check=True, timeout=120)
            self.env = wine_env(prefix, self.home, display)
            self.documents = self._own_user_folders(prefix)
            self.wineserver = subprocess.Popen(["wineserver", "-p", "-f"], env=self.env, stdout=subprocess.DEVNULL,
                                               stderr=subprocess.DEVNULL, start_new_session=True)
            if dpi:  # the screen's scaling, as a user sets it; read by every program started later
                subprocess.run(["wine", "reg", "add", r"HKCU\Control Panel\Desktop", "/v", "LogPixels", "/t",
                                "REG_DWORD", "/d", str(dpi), "/f"], env=self.env, stdin=subprocess.DEVNULL,
                               stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, timeout=120, check=True)
            # Wine's own background processes start with the first program
            # and would keep that program's output pipes open: start them
            # here, with none.
            subprocess.run(["wineboot"], env=self.env, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL,
                           stderr=subprocess.DEVNULL, timeout=120)
        except BaseException:
            self.close()
            raise

    def _own_user_folders(self, prefix):
        """The template's Documents and Desktop are links into the home it was
        made with; this session gets folders of its own."""
        users = os.path.join(prefix, "drive_c", "users")
        documents = None
        for user in os.listdir(users):
            for name in os.listdir(os.path.join(users, user)):
                path = os.path.join(users, user, name)
                if os.path.islink(path):
                    os.remove(path)
                    os.makedirs(path)
                if name == "Documents" and user == os.environ.get("USER", "root"):
                    documents = path
        return documents or os.path.join(users, "root", "Documents")

    def start(self, exe, *args, stdout=subprocess.DEVNULL):
        proc = subprocess.Popen(["wine", exe] + list(args), env=self.env, stdout=stdout, stderr=subprocess.DEVNULL,
                                start_new_session=True)
        self.procs.append(proc)
        return proc

    def run(self, exe, *args, timeout=60):
        r = subprocess.run(["wine", exe] + list(args), env=self.env, capture_output=True, timeout=timeout)
        return r.returncode, r.stdout.decode("utf-8", "replace")

    def probe(self, *args, timeout=30):
        if not self._probe or not self._probe.alive():
            self._probe = Probe(self.env)
        return self._probe.ask(*args, timeout=timeout)

    def probe_in_background(self, *args):
        """A probe command that runs alongside; its lines from communicate()."""
        return self.start(os.path.join(WIN64, "probe.exe"), *[str(a) for a in args], stdout=subprocess.PIPE)

    def xdo(self, *args):
        subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, check=True, timeout=30)

    def foreground(self):
        lines = self.probe("foreground")
        return lines[0] if lines else ""

    def click(self, x, y, button=1):
        self.xdo("mousemove", x, y, "click", button)

    def xdo_values(self, *args):
        """The KEY=VALUE lines that an xdotool command prints with --shell."""
        out = subprocess.run(["xdotool"] + [str(a) for a in args], env=self.env, capture_output=True, text=True,
                             timeout=30).stdout
        return dict(line.split("=", 1) for line in out.split() if "=" in line)

    def x_window_under_pointer(self):
        """(left, top, width, height) of the X window under the pointer."""
        window = self.xdo_values("getmouselocation", "--shell").get("WINDOW")
        geometry = self.xdo_values("getwindowgeometry", "--shell", window) if window else {}
        try:
            return tuple(int(geometry[k]) for k in ("X", "Y", "WIDTH", "HEIGHT"))
        except (KeyError, ValueError):
            return None

    def click_in(self, rect, x, y, button=1):
        """Clicks at (x, y) once the window of rect is there (point_into)."""
        self.point_into(rect, x, y)
        self.xdo("click", button)

    def point_into(self, rect, x, y):
        """Moves the pointer to (x, y) and waits until the window of rect
        (left, top, width, height) is the one there on the X server. Wine
        has a new window, or a closed one gone, in its own books before the
        X server has mapped or unmapped it; on a busy machine a click in
        between lands elsewhere. The X window lies within the rect: without
        a window manager a message box's X window is only its inside."""
        def inside(x_window):
            if not x_window:
                return False
            left, top, width, height = rect
            x_left, x_top, x_width, x_height = x_window
            return (left <= x_left and top <= x_top and x_left + x_width <= left + width
                    and x_top + x_height <= top + height)

        self.xdo("mousemove", x, y)
        if not wait_until(lambda: inside(self.x_window_under_pointer()), 10, 0.05):
            raise RuntimeError("the window at %r is not on the screen (under the pointer: %r)"
                               % (tuple(rect), self.x_window_under_pointer()))

    def focus(self, rect, point, window_class):
        """Clicks a point of the window of rect once it is on the screen
        (without a window manager Wine makes a window the foreground one on
        a click), then waits until Wine has done so; keys then go to that
        window."""
        self.click_in(rect, *point)
        if not wait_until(lambda: self.foreground() == window_class, 10):
            raise RuntimeError("%s did not get the focus (foreground: %r)" % (window_class, self.foreground()))

    def shared_editor(self):
        """One editor for the scenes that paste into it, emptied for each."""
        if not self._editor or self._editor.proc.poll() is not None:
            self._editor = Editor(self)
        else:
            self._editor.clear()
        return self._editor

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
            kill_group(proc)

    def close(self):
        if self._probe:
            self._probe.close()
        for proc in self.procs:
            kill_group(proc)
        if getattr(self, "env", None):
            subprocess.run(["wineserver", "-k"], env=self.env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                           timeout=30)
        kill_group(self.wineserver)
        kill_group(self.xvfb)


class Editor:
    """The test editor: a window whose text we can read back at any time."""

    def __init__(self, session, x=700, y=0, w=320, h=300, readonly=False):
        self.session = session
        self.out = os.path.join(session.scratch, "editor-%d.txt" % int(time.monotonic() * 1000))
        self.proc = session.start(os.path.join(WIN64, "editor.exe"), wine_path(self.out), str(x), str(y), str(w),
                                  str(h), *(["readonly"] if readonly else []))
        self.rect = (x, y, w, h)
        self.focus_point = (x + w // 2, y + h - 24)  # the strip below the edit control
        if not wait_until(lambda: os.path.exists(self.out), 30):
            raise RuntimeError("editor did not start")

    def text(self):
        try:
            with open(self.out, encoding="utf-8", newline="") as f:
                return f.read()
        except OSError:
            return ""

    def clear(self):
        self.session.probe("cleareditor")
        if not wait_until(lambda: self.text() == "", 5):
            raise RuntimeError("the editor was not emptied")

    def focus(self):
        self.session.focus(self.rect, self.focus_point, "NexluneTestEditor")

    def wait_for(self, expected, timeout=5):
        """The editor's text once it equals expected, or whatever it holds after timeout."""
        wait_until(lambda: self.text() == expected, timeout, 0.02)
        return self.text()

    def close(self):
        kill_group(self.proc)


class Nexlune:
    """The program under test, read from outside through the probe."""

    def __init__(self, session, exe=None):
        self.session = session
        self.proc = session.start(exe or os.path.join(WIN64, "nexlune.exe"))
        self.wait_shown()

    def wait_shown(self):
        """Until the main window is up and Wine has made it the foreground
        window (clicks before that can get lost)."""
        if not wait_until(lambda: self.session.foreground() == "Vorpa.Nexlune.Main", 30):
            raise RuntimeError("Nexlune did not show its window (foreground: %r)" % self.session.foreground())

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
            out.append((text_of_hex(num), text_of_hex(text)))
        return out

    def count(self):
        """The list's row count, -1 without a list."""
        lines = self.session.probe("count")
        return int(lines[0]) if lines and lines[0].isdigit() else -1

    def cell(self, row, column=1):
        """One cell, read through the list control as another program reads it."""
        return text_of_hex(self.session.probe("cell", row, column)[0])

    def row_texts(self):
        rows = self.rows()
        return None if rows is None else [t for _, t in rows]

    def wait_rows(self, expected, timeout=10):
        """The rows once they are the expected ones, or as they are at the end."""
        wait_until(lambda: self.row_texts() == expected, timeout)
        return self.row_texts()

    def wait_title(self, expected, timeout=5):
        wait_until(lambda: self.title() == expected, timeout)
        return self.title()

    def selected(self):
        return int(self.session.probe("selected")[0])

    def row_point(self, row):
        x, y = self.session.probe("rowpoint", row)[0].split()
        return int(x), int(y)

    def rect(self):
        """(left, top, width, height) of the main window."""
        return tuple(map(int, self.session.probe("rect")[0].split()))

    def list_point(self):
        x, y = self.session.probe("listpoint")[0].split()
        return int(x), int(y)

    def choose_menu_item(self, index, count=3):
        """Right-clicks the list and clicks item index of the pop-up menu."""
        self.session.click_in(self.rect(), *self.list_point(), button=3)
        popup = wait_until(lambda: (lambda p: p if p and p[0] != "none" else None)(self.session.probe("popup")), 5)
        if not popup:
            raise RuntimeError("no pop-up menu")
        left, top, width, height = map(int, popup[0].split())
        item_height = (height - 4) // count
        self.session.click_in((left, top, width, height), left + width // 2,
                              top + 2 + item_height * index + item_height // 2)
        if not wait_until(lambda: self.session.probe("popup") == ["none"], 5):
            raise RuntimeError("the pop-up menu stayed open")

    def memory_mb(self):
        """The program's private memory in use (resident, anonymous), as
        Linux counts it: Wine does not tell another process."""
        with open("/proc/%d/status" % self.proc.pid) as f:
            for line in f:
                if line.startswith("RssAnon:"):
                    return int(line.split()[1]) / 1024
        return 0.0

    def pid(self):
        lines = self.session.probe("pid")
        return lines[0] if lines and lines[0] != "none" else None

    def close(self):
        """Closes the running Nexlune as a user does, also one that a restart
        brought up, and waits until it has ended (without a window manager
        Wine takes 2 s to take a closed window off the screen)."""
        self.session.probe("close")
        self.session.stop(self.proc)
        wait_until(lambda: self.session.probe("title") in ([], ["none"]), 15)

    def end(self):
        """Ends the running Nexlune at once, for the next scene."""
        self.session.probe("terminate")
        self.session.stop(self.proc)


class SettingsWindow:
    """The settings window, opened through the list's pop-up menu."""

    def __init__(self, nx):
        self.s = nx.session
        nx.choose_menu_item(0)  # "设置"
        if not wait_until(self.info, 10):
            raise RuntimeError("the settings window did not open")

    def info(self):
        lines = self.s.probe("settings")
        if not lines or lines[0] == "none":
            return None
        x, y, w, h, style, exstyle, owned, title = lines[0].split()
        return {"rect": (int(x), int(y), int(w), int(h)), "style": int(style, 16), "exstyle": int(exstyle, 16),
                "owned": owned == "1", "title": text_of_hex(title)}

    def close(self):
        self.s.probe("closesettings")
        wait_until(lambda: not self.info(), 10)

    def point(self, control):
        x, y = self.s.probe("ctlpoint", control)[0].split()
        return int(x), int(y)

    def rect(self):
        info = self.info()
        if not info:
            raise RuntimeError("the settings window is closed")
        return info["rect"]

    def click(self, control):
        self.s.click_in(self.rect(), *self.point(control))

    def checked(self, control):
        return self.s.probe("checked", control)[0] == "1"

    def text(self, control):
        lines = self.s.probe("ctltext", control)
        return text_of_hex(lines[0]) if lines else ""

    def wait_text(self, control, expected, timeout=5):
        wait_until(lambda: self.text(control) == expected, timeout)
        return self.text(control)

    def type_into(self, control, text):
        """Replaces the box's text by typing into it."""
        self.s.focus(self.rect(), self.point(control), "Vorpa.Nexlune.Settings")
        self.s.xdo("key", "End")
        self.s.xdo("key", "--delay", "0", "--repeat", 30, "BackSpace")
        if not wait_until(lambda: self.text(control) == "", 5):
            raise RuntimeError("the box was not emptied")
        if text:
            self.s.xdo("type", "--delay", "0", text)

    def enter(self, control, text):
        """Replaces the box's text by typing, then presses Enter in it."""
        self.type_into(control, text)
        if text and not wait_until(lambda: self.text(control) == text, 5):
            raise RuntimeError("typed text did not arrive: %r" % self.text(control))
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
            out.append({"title": text_of_hex(title), "text": text_of_hex(text), "owner": owner})
        return out

    def wait_shown(self, timeout=10):
        return wait_until(self.shown, timeout)

    def wait_gone(self, timeout=15):
        """Until the boxes are destroyed, not only off the screen: without a
        window manager Wine destroys a closed box about 2 s later and only
        then gives the focus back to the window under it, which would undo a
        click made before."""
        return wait_until(lambda: self.s.probe("boxwindows") == ["0"], timeout)

    def answer(self, button_id):
        x, y, *box = map(int, self.s.probe("boxbutton", button_id)[0].split())
        self.s.click_in(box, x, y)


class DragSource:
    """A window that drags the given files with real OLE drag and drop; it
    says how far the drag has come, and the harness goes on when it has."""

    def __init__(self, session, paths, x=700, y=420):
        self.session = session
        self.rect = (x, y, 120, 80)  # as dragsrc.exe makes it
        self.point = (x + 60, y + 40)
        self.proc = session.start(os.path.join(WIN64, "dragsrc.exe"), str(x), str(y),
                                  *[wine_path(p) for p in paths], stdout=subprocess.PIPE)
        self.heard = []
        self._pending = b""
        if not self._hears("ready", 30):
            raise RuntimeError("the drag source did not start (heard %r)" % self.heard)

    def _hears(self, word, timeout):
        """Whether the source has said word, waiting up to timeout seconds."""
        deadline = time.monotonic() + timeout
        fd = self.proc.stdout.fileno()
        while word not in self.heard:
            left = deadline - time.monotonic()
            if left <= 0 or not select.select([fd], [], [], left)[0]:
                return False
            chunk = os.read(fd, 4096)
            if not chunk:
                return False
            self._pending += chunk
            *lines, self._pending = self._pending.split(b"\n")
            self.heard += [line.decode().strip() for line in lines]
        return True

    def drag_onto(self, point):
        """Presses the button on the source and drags onto point, without
        letting go."""
        s = self.session
        s.point_into(self.rect, *self.point)
        s.xdo("mousedown", 1)
        if not self._hears("dragging", 10):
            raise RuntimeError("the drag did not begin (heard %r)" % self.heard)
        # The drag loop follows the pointer in steps; the target says that it
        # would take the files before the button is let go.
        for step in range(1, 5):
            s.xdo("mousemove", self.point[0] + (point[0] - self.point[0]) * step // 4,
                  self.point[1] + (point[1] - self.point[1]) * step // 4)
            if self._hears("accepted", 0.05 if step < 4 else 10):
                break

    def drop_on(self, point, timeout=20):
        """Drags onto point; True once the target has taken the files."""
        self.drag_onto(point)
        self.session.xdo("mouseup", 1)
        let_go = time.monotonic()
        try:
            return self.proc.wait(timeout=timeout) == 0
        except subprocess.TimeoutExpired:
            return False
        finally:
            self.answered_after = time.monotonic() - let_go  # the button let go until the source had its answer

    def close(self):
        kill_group(self.proc)


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
        return [text_of_hex(line[5:]) for line in self.lines() if line.startswith("read ")]

    def close(self):
        kill_group(self.proc)


if __name__ == "__main__":
    # "harness.py prefix-template": makes the prefix template ahead of the
    # tests, for instance while the programs are being built.
    import sys
    if sys.argv[1:] == ["prefix-template"]:
        end_on_signals()
        ensure_prefix_template()
