"""End-to-end checks of the release in dist/ (scripts/package.sh makes it)
under 64-bit Wine: the files and their checksums; the 64-bit setup program
installs silently for the current user, the installed program pastes,
restarts itself and starts from its Start-menu shortcut, and the silent
uninstaller takes away everything the setup made but not the settings; the
64-bit zip unpacks into a folder the program starts from.

Usage: release_scenarios.py [--busy] [--scratch DIR] [name-filter ...]
(also run_tests.py --release [--busy] [name-filter ...]); the session's
folder is build/wine-release unless --scratch names another."""
import contextlib
import hashlib
import os
import struct
import subprocess
import sys
import time
import zipfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from harness import ROOT, WIN64, BusyProcessors, MessageBoxes, Nexlune, SettingsWindow, WineSession, end_on_signals, \
    wait_until  # noqa: E402
from scenarios import GBK_TEXT, ROWS, Scene, expect, expect_eq, forward, run_each  # noqa: E402
from settings_scenarios import HOTKEY, restart_and_wait, stored  # noqa: E402

sys.path.insert(0, os.path.join(ROOT, "packaging"))
sys.path.insert(0, os.path.join(ROOT, "tests", "release"))
import release_files  # noqa: E402
import check_pe  # noqa: E402

DIST = os.path.join(ROOT, "dist")
VERSION4, VERSION = release_files.project_version()
USAGE_NAME = "使用说明.txt"
UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Nexlune"


def dist_file(kind):
    """kind: win32.zip, win64-setup.exe, ..."""
    return os.path.join(DIST, "Nexlune-%s-%s" % (VERSION, kind))


def release_files_wanted():
    return [dist_file(k) for k in ("win32.zip", "win64.zip", "win32-setup.exe", "win64-setup.exe")] + \
        [os.path.join(DIST, "SHA256SUMS")]


def usage_text_bytes():
    """The usage text as the release carries it: GBK with CRLF line ends."""
    return release_files.gbk_text_bytes(os.path.join(ROOT, "packaging", "usage_zh_CN.txt"))


def read_bytes(path):
    with open(path, "rb") as f:
        return f.read()


def sha256(path):
    return hashlib.sha256(read_bytes(path)).hexdigest()


def measured(what, value):
    print("  %s: %s" % (what, value), flush=True)


def registry_values(s, key):
    """{name: (type, value)} of a registry key of the session, None when the key is missing."""
    r = subprocess.run(["wine", "reg", "query", key], env=s.env, capture_output=True, timeout=60)
    if r.returncode != 0:
        return None
    values = {}
    for line in r.stdout.decode("gbk", "replace").splitlines():
        if line.startswith("    "):
            parts = line.strip().split("    ", 2)
            if len(parts) >= 2:
                values[parts[0]] = (parts[1], parts[2] if len(parts) == 3 else "")
    return values


class UserFolders:
    """The session user's folders, in Unix and in Windows form."""

    def __init__(self, s):
        profile = os.path.dirname(s.documents)
        user = os.path.basename(profile)
        self.install = os.path.join(profile, "AppData", "Local", "Programs", "Nexlune")
        self.install_win = "C:\\users\\%s\\AppData\\Local\\Programs\\Nexlune" % user
        programs = os.path.join("AppData", "Roaming", "Microsoft", "Windows", "Start Menu", "Programs", "Nexlune.lnk")
        self.shortcut = os.path.join(profile, programs)
        self.shortcut_win = "C:\\users\\%s\\%s" % (user, programs.replace("/", "\\"))
        self.vendor = os.path.join(s.documents, "brenko")


def shortcut_target_named(lnk, program_win):
    """Whether the shortcut's bytes name the program (as ANSI or UTF-16 text)."""
    data = read_bytes(lnk).lower()
    name = program_win.lower()
    return name.encode("latin-1") in data or name.encode("utf-16-le") in data


class ShortcutNexlune(Nexlune):
    """Nexlune started through its Start-menu shortcut, as a user starts it
    (start.exe opens the shortcut and returns at once)."""

    def __init__(self, session, shortcut_win):  # pylint: disable=super-init-not-called
        self.session = session
        self.proc = session.start("start", shortcut_win)
        self.wait_shown()


def running_programs(s):
    """The command lines of the session's Windows processes."""
    prefix = ("WINEPREFIX=%s" % s.env["WINEPREFIX"]).encode()
    lines = []
    for pid in os.listdir("/proc"):
        try:
            if pid.isdigit() and prefix in read_bytes("/proc/%s/environ" % pid).split(b"\0"):
                lines.append(read_bytes("/proc/%s/cmdline" % pid).split(b"\0")[0].decode("utf-8", "replace"))
        except OSError:
            pass
    return lines


def release_files_and_checksums(s):
    sums = {}
    with open(os.path.join(DIST, "SHA256SUMS")) as f:
        for line in f:
            digest, name = line.rstrip("\n").split("  ", 1)
            sums[name] = digest
    names = sorted(os.path.basename(p) for p in release_files_wanted() if not p.endswith("SHA256SUMS"))
    expect_eq(sorted(sums), names, "files named in SHA256SUMS")
    expect_eq(sorted(os.listdir(DIST)), sorted(names + ["SHA256SUMS"]), "files in dist/")
    for name, digest in sums.items():
        expect_eq(sha256(os.path.join(DIST, name)), digest, "checksum of %s" % name)
        measured(name, "%d bytes" % os.path.getsize(os.path.join(DIST, name)))
    usage = usage_text_bytes()
    for arch, machine in (("win32", "i386"), ("win64", "amd64")):
        zip_path = dist_file(arch + ".zip")
        with zipfile.ZipFile(zip_path, metadata_encoding="gbk") as z:
            infos = z.infolist()
            expect_eq(sorted(i.filename for i in infos), sorted(["nexlune.exe", USAGE_NAME]), "entries of " + zip_path)
            for info in infos:
                expect(not info.flag_bits & 0x800, "%s: %s stored without the UTF-8 flag" % (arch, info.filename))
            expect(z.read("nexlune.exe") == read_bytes(os.path.join(ROOT, "build", arch, "nexlune.exe")),
                   "%s zip carries build/%s/nexlune.exe" % (arch, arch))
            text = z.read(USAGE_NAME)
            expect(b"\n" not in text.replace(b"\r\n", b""), "%s usage text has only CRLF line ends" % arch)
            expect("brenko\\Quilvo\\set\\set.ini" in text.decode("gbk"),
                   "%s usage text names the settings file" % arch)
            expect(text.decode("gbk").startswith("Nexlune %s " % VERSION), "%s usage text names the version" % arch)
            expect_eq(text, usage, "%s usage text" % arch)
            expect(z.testzip() is None, "%s zip reads back whole" % arch)
        # The 64-bit setup runs where the 64-bit program does; the 32-bit one anywhere.
        setup = check_pe.PE(read_bytes(dist_file(arch + "-setup.exe")))
        expect_eq(check_pe.MACHINE_NAMES.get(setup.machine), machine, "machine of the %s setup program" % arch)
        version_info = check_pe.resources_of(setup.resources(), check_pe.RT_VERSION)
        fixed = check_pe.version_blocks(version_info[0])[0][1] if version_info else b""
        expect_eq(check_pe.split_version(*struct.unpack_from("<II", fixed, 16)) if len(fixed) >= 52 else None,
                  VERSION4, "product version of the %s setup program" % arch)


def setup_installs_runs_and_uninstalls(s):
    home = UserFolders(s)
    program_win = home.install_win + "\\nexlune.exe"
    uninstaller_win = home.install_win + "\\uninstall.exe"
    t0 = time.monotonic()
    code, _ = s.run(dist_file("win64-setup.exe"), "/S", timeout=180)
    expect_eq(code, 0, "exit code of the silent setup")
    measured("silent install", "%.1f s" % (time.monotonic() - t0))

    expect_eq(sorted(os.listdir(home.install)), sorted(["nexlune.exe", "uninstall.exe", USAGE_NAME]),
              "files installed")
    expect(read_bytes(os.path.join(home.install, "nexlune.exe")) == read_bytes(os.path.join(WIN64, "nexlune.exe")),
           "the installed program is build/win64/nexlune.exe")
    expect_eq(read_bytes(os.path.join(home.install, USAGE_NAME)), usage_text_bytes(), "installed usage text")
    expect(os.path.isfile(home.shortcut), "Start-menu shortcut %s" % home.shortcut)
    expect(shortcut_target_named(home.shortcut, program_win), "the shortcut names %s" % program_win)

    values = registry_values(s, UNINSTALL_KEY)
    expect(values is not None, "uninstall key %s written" % UNINSTALL_KEY)
    size_kb = sum(os.path.getsize(os.path.join(home.install, f)) for f in os.listdir(home.install)) // 1024
    wanted = {
        "DisplayName": ("REG_SZ", "Nexlune"),
        "DisplayVersion": ("REG_SZ", VERSION),
        "Publisher": ("REG_SZ", "Vorpa"),
        "DisplayIcon": ("REG_SZ", program_win + ",0"),
        "UninstallString": ("REG_SZ", '"%s"' % uninstaller_win),
        "QuietUninstallString": ("REG_SZ", '"%s" /S' % uninstaller_win),
        "InstallLocation": ("REG_SZ", home.install_win),
        "NoModify": ("REG_DWORD", "0x1"),
        "NoRepair": ("REG_DWORD", "0x1"),
    }
    for name, (kind, value) in wanted.items():
        got = values.get(name)
        expect(got is not None and got[0] == kind and got[1].lower() == value.lower(),
               "%s: got %r, wanted %r" % (name, got, (kind, value)))
    kind, estimated = values.get("EstimatedSize", ("missing", "0"))
    expect(kind == "REG_DWORD" and abs(int(estimated, 16) - size_kb) <= 1,
           "EstimatedSize %s %s, wanted about %d KB" % (kind, estimated, size_kb))
    measured("installed size", "%d KB" % size_kb)

    # The installed program: a dropped file pasted, then a restart on a new hotkey from its folder.
    with Scene(s, exe=os.path.join(home.install, "nexlune.exe")) as sc:
        sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
        sc.editor.focus()
        sc.press(ROWS[0], forward(1))
        old = sc.nx.pid()
        win = SettingsWindow(sc.nx)
        win.enter(HOTKEY, "120")
        boxes = MessageBoxes(s)
        expect(boxes.wait_shown(), "restart question shown")
        restart_and_wait(s, sc.nx, boxes, old)
        expect(wait_until(lambda: not os.path.exists(os.path.join(home.install, "Restart.bat")), 10),
               "Restart.bat removed from the install folder")
        sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
        sc.editor.focus()
        sc.press(ROWS[0], forward(1), key="F9")
    settings_file = os.path.join(home.vendor, "Quilvo", "set", "set.ini")
    expect_eq(stored(sc).get("热键代码"), "120", "hotkey stored in %s" % settings_file)

    nx = ShortcutNexlune(s, home.shortcut_win)
    try:
        expect(any(p.lower() == program_win.lower() for p in running_programs(s)),
               "the shortcut started %s (running: %r)" % (program_win, running_programs(s)))
    finally:
        nx.close()

    # The uninstaller copies itself away and returns; the copy does the work.
    t0 = time.monotonic()
    code, _ = s.run(os.path.join(home.install, "uninstall.exe"), "/S", timeout=60)
    expect_eq(code, 0, "exit code of the silent uninstaller")
    gone = wait_until(lambda: not os.path.exists(home.install) and not os.path.exists(home.shortcut)
                      and registry_values(s, UNINSTALL_KEY) is None, 60, 0.2)
    left = [p for p in (home.install, home.shortcut) if os.path.exists(p)]
    expect(gone, "uninstalled: left %r, uninstall key %s" % (
        left + (os.listdir(home.install) if os.path.isdir(home.install) else []),
        "still there" if registry_values(s, UNINSTALL_KEY) is not None else "gone"))
    measured("silent uninstall", "%.1f s" % (time.monotonic() - t0))
    expect(os.path.isfile(settings_file), "the settings stay: %s" % settings_file)
    expect_eq(stored(sc).get("热键代码"), "120", "stored hotkey after uninstalling")


def zip_unpacks_and_program_starts(s):
    folder = os.path.join(s.scratch, "下载", "Nexlune %s" % VERSION)
    with zipfile.ZipFile(dist_file("win64.zip"), metadata_encoding="gbk") as z:
        z.extractall(folder)
    expect_eq(sorted(os.listdir(folder)), sorted(["nexlune.exe", USAGE_NAME]), "unpacked files")
    nx = Nexlune(s, os.path.join(folder, "nexlune.exe"))
    try:
        expect_eq(nx.title(), "Vorpa.Nexlune", "title of the unpacked program")
    finally:
        nx.close()
    expect_eq(nx.proc.returncode, 0, "the unpacked program ends when its window is closed")


RELEASE_SCENARIOS = [release_files_and_checksums, setup_installs_runs_and_uninstalls, zip_unpacks_and_program_starts]


def main(args):
    """Runs the release scenarios whose names contain any filter; 0 when all pass."""
    end_on_signals()
    scratch = os.path.join(ROOT, "build", "wine-release")
    if "--scratch" in args:
        at = args.index("--scratch")
        scratch = os.path.abspath(args[at + 1])
        args = args[:at] + args[at + 2:]
    only = [a for a in args if a != "--busy"]
    missing = [p for p in release_files_wanted() if not os.path.isfile(p)]
    if missing:
        print("the release is missing %s; make it with scripts/package.sh" % ", ".join(
            os.path.relpath(p, ROOT) for p in missing))
        return 1
    chosen = [fn for fn in RELEASE_SCENARIOS if not only or any(name in fn.__name__ for name in only)]
    load = BusyProcessors() if "--busy" in args else contextlib.nullcontext()
    results = []
    session = None
    started = time.monotonic()
    try:
        load.__enter__()
        session = WineSession(scratch)
        print("release %s, session ready after %.1f s" % (VERSION, time.monotonic() - started), flush=True)
        results = run_each(session, chosen)
    finally:
        if session:
            session.close()
        load.__exit__(None, None, None)
    passed = sum(1 for _, ok, _ in results if ok)
    print("release: %d passed, %d failed in %.0f s" % (passed, len(results) - passed, time.monotonic() - started))
    return 1 if passed < len(results) or not results else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
