"""How the program looks: its icon, the common controls it is drawn with,
and its layouts on an unscaled screen (96 DPI) and one scaled to 150 %
(144 DPI), read from outside and saved as screenshots."""
import os
import re
import subprocess

from harness import ROOT, SettingsWindow, WineSession
from scenarios import GBK_TEXT, ROWS, Scene, expect, expect_eq, scenario
from settings_scenarios import HOTKEY

# The 96-DPI layout: main window, list, its two columns; settings window and
# the hotkey box.
MAIN, LIST, COLUMNS = (360, 458), (352, 408), (40, 280)
SETTINGS, HOTKEY_BOX = (416, 306), (62, 20)
SCREEN = (1024, 768)


def layout(session):
    """(main window, list, columns, header height)."""
    v = [int(n) for n in session.probe("layout")[0].split()]
    return (v[0], v[1]), (v[2], v[3]), (v[4], v[5]), v[6]


def settings_sizes(nx):
    win = SettingsWindow(nx)
    rect = win.info()["rect"]
    box = tuple(int(n) for n in nx.session.probe("ctlsize", HOTKEY)[0].split())
    return win, rect, box


def orange_in_caption_icon(session, rect, name):
    """How many pixels of the program icon's orange the top left corner of a
    window shows, where the caption draws its small icon (the system's stock
    icon has none)."""
    png = os.path.join(session.scratch, name)
    session.screenshot(png)
    x, y = rect[0], rect[1]
    out = subprocess.run(["convert", png, "-crop", "40x40+%d+%d" % (x, y), "txt:-"], capture_output=True,
                         text=True, timeout=60).stdout
    count = 0
    for r, g, b in re.findall(r"\((\d+),(\d+),(\d+)", out):
        r, g, b = int(r), int(g), int(b)
        count += r > 170 and 80 < g < 170 and b < 90
    return count


def scaled(size, dpi):
    return tuple(v * dpi // 96 for v in size)


@scenario
def icon_common_controls_and_layout_at_96_dpi(s):
    with Scene(s) as sc:
        main, lst, columns, header = layout(s)
        expect_eq((main, lst, columns), (MAIN, LIST, COLUMNS), "main window, list and columns at 96 DPI")
        comctl = s.probe("comctl")
        expect(len(comctl) == 1 and "\\winsxs\\" in comctl[0].lower() and "common-controls" in comctl[0].lower()
               and "_6.0." in comctl[0], "common controls 6 from the side-by-side store: %r" % comctl)
        # The icon's picture is checked inside the program's own process by
        # the Win32 tests; here, that the windows show it.
        rect = list(sc.nx.rect())
        expect(orange_in_caption_icon(s, rect, "main.png") >= 3, "the main window's caption shows the program icon")
        win, rect, box = settings_sizes(sc.nx)
        expect_eq((rect[2:], box), (SETTINGS, HOTKEY_BOX), "settings window and hotkey box at 96 DPI")
        expect(orange_in_caption_icon(s, rect, "settings.png") >= 3, "the settings window's caption shows it")
        win.close()
    s.header_at_96 = header


@scenario
def layout_scales_at_144_dpi(s):
    dpi = 144
    scaled_session = WineSession(os.path.join(ROOT, "build", "wine-tests-144"), *SCREEN, dpi=dpi)
    try:
        with Scene(scaled_session) as sc:
            main, lst, columns, header = layout(scaled_session)
            expect_eq((main, lst, columns), (scaled(MAIN, dpi), scaled(LIST, dpi), scaled(COLUMNS, dpi)),
                      "main window, list and columns at 144 DPI")
            expect_eq(scaled_session.probe("rect")[0].split()[:2],
                      [str((SCREEN[0] - main[0]) // 2), str((SCREEN[1] - main[1]) // 2)], "main window centred")
            at_96 = getattr(s, "header_at_96", None)
            if at_96:  # the list's font grew with the screen
                expect(header >= at_96 * 1.3, "list header %d px high at 144 DPI, %d at 96" % (header, at_96))
            sc.drop(sc.write_file("样本.txt", GBK_TEXT), expect_rows=ROWS)
            win, rect, box = settings_sizes(sc.nx)
            expect_eq((rect[2:], box), (scaled(SETTINGS, dpi), scaled(HOTKEY_BOX, dpi)),
                      "settings window and hotkey box at 144 DPI")
            scaled_session.probe("paintnow")
            scaled_session.screenshot(os.path.join(ROOT, "build", "dpi-144.png"))
            win.close()
    finally:
        scaled_session.close()


SCENARIOS = [icon_common_controls_and_layout_at_96_dpi, layout_scales_at_144_dpi]
