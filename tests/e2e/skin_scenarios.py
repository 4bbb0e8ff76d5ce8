"""End-to-end scenarios of the skin: the library file that the program
carries and writes, the colours that really reach the screen, and the fatal
start-up error for a library without its functions."""
import os
import shutil
import signal

from harness import WIN64, MessageBoxes, SettingsWindow, wait_until
from scenarios import Scene, expect, expect_eq, scenario

# Skin 2, the one the program applies: its window and list backgrounds.
SKIN2_WINDOW = (45, 48, 56)
SKIN2_LIST = (28, 30, 36)
IDOK = 1


def close_to(actual, wanted):
    # Exact where nothing blends; a compositor would blend the 220/255 alpha
    # with the black screen behind.
    blended = tuple(c * 220 // 255 for c in wanted)
    return any(all(abs(a - w) <= 12 for a, w in zip(actual, ref)) for ref in (wanted, blended))


def library_file(s):
    return os.path.join(s.documents, "brenko", "SkinH_EL.dll")


def read(path):
    with open(path, "rb") as f:
        return f.read()


def painted(s, name, pixels_of, wanted, timeout=5):
    """The pixels of a screenshot of Nexlune's windows, taken again until they
    show the wanted colours (Wine draws to the X server a little later than
    the program paints) or the time is up; the last screenshot stays."""
    shot = os.path.join(os.path.dirname(WIN64), name)

    def take():
        s.probe("paintnow")
        s.screenshot(shot)
        got = pixels_of(shot)
        return got if all(close_to(p, w) for p, w in zip(got, wanted)) else None
    return wait_until(take, timeout) or pixels_of(shot)


@scenario
def skin_library_written_once_and_colours_on_screen(s):
    shutil.rmtree(os.path.join(s.documents, "brenko"), ignore_errors=True)
    with Scene(s) as sc:
        expect(os.path.exists(library_file(s)), "the library file is written at the first start")
        expect(read(library_file(s)) == read(os.path.join(WIN64, "SkinH_EL.dll")),
               "the carried library, byte for byte")
        lx, ly = sc.nx.list_point()
        x, y, w, h = sc.nx.rect()
        main_pixels = lambda shot: (s.pixel(shot, lx, ly),  # noqa: E731
                                    s.pixel(shot, x + w // 2, y + h - 12))  # below the list, in the window itself
        list_px, window_px = painted(s, "skin-main.png", main_pixels, (SKIN2_LIST, SKIN2_WINDOW))
        expect(close_to(list_px, SKIN2_LIST), "list background on screen %r, skin %r" % (list_px, SKIN2_LIST))
        expect(close_to(window_px, SKIN2_WINDOW), "window background on screen %r, skin %r" % (window_px, SKIN2_WINDOW))

        win = SettingsWindow(sc.nx)
        wx, wy, ww, wh = win.info()["rect"]
        corner = lambda shot: (s.pixel(shot, wx + ww - 30, wy + wh - 50),)  # noqa: E731  third group box, empty
        inside_group, = painted(s, "skin-settings.png", corner, (SKIN2_WINDOW,))
        expect(close_to(inside_group, SKIN2_WINDOW), "settings background %r" % (inside_group,))

    # A later start leaves the file as it finds it, changed or not.
    with open(library_file(s), "ab") as f:
        f.write(b"changed by hand")
    changed = read(library_file(s))
    with Scene(s) as sc:
        expect_eq(sc.nx.title(), "Vorpa.Nexlune", "started with the existing file")
        expect(read(library_file(s)) == changed, "the existing library file is not written again")

    # The other build's library (32 and 64 bits share the folder) cannot be
    # loaded by this one: it is replaced by the carried copy.
    other = bytearray(read(os.path.join(WIN64, "SkinH_EL.dll")))
    pe = int.from_bytes(other[0x3C:0x40], "little")
    other[pe + 4:pe + 6] = (0x14C).to_bytes(2, "little")  # i386
    with open(library_file(s), "wb") as f:
        f.write(other)
    with Scene(s) as sc:
        expect_eq(sc.nx.title(), "Vorpa.Nexlune", "started after replacing the other build's library")
        expect(read(library_file(s)) == read(os.path.join(WIN64, "SkinH_EL.dll")), "the carried library in its place")


@scenario
def library_without_attachres_ends_the_program(s):
    os.makedirs(os.path.dirname(library_file(s)), exist_ok=True)
    shutil.copy(os.path.join(WIN64, "skin_stub.dll"), library_file(s))
    try:
        proc = s.start(os.path.join(WIN64, "nexlune.exe"))
        boxes = MessageBoxes(s)
        shown = boxes.wait_shown(20)
        expect(shown and "SkinH_AttachRes" in shown[0]["text"] and "SkinH_EL.dll" in shown[0]["text"],
               "the fatal message names the library and the function: %r" % shown)
        boxes.answer(IDOK)
        try:
            code = proc.wait(timeout=20)
        except Exception:
            os.killpg(proc.pid, signal.SIGKILL)
            code = None
        expect_eq(code, 1, "the program ends")
    finally:
        os.remove(library_file(s))  # the next start writes the real one again


SCENARIOS = [f for f in list(globals().values()) if getattr(f, "scenario", False)]
