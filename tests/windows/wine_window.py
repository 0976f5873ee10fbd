#!/usr/bin/env python3
"""Starts the real vostrel.exe of the Windows package under Wine on a private
Xvfb, under a Bulgarian and an English locale and under English with the
decimal symbol set to a comma by hand, each in a fresh prefix. The window
must be named "... Vostrel" with the client size of the form (461 x 345 at
96 dpi); Calculate, clicked, must write the start-up report with the
locale's decimal separator; and nothing but Wine's own lines may reach
standard error (Qt's messages are sent there, not to the debugger). One
start is driven by keys alone from the moment its window appears: the keys
go to its window (Xvfb, with no window manager, focuses no window), and
which control gets them is the program's own keyboard focus, as on Windows.
The output box must hold it, so Ctrl+A, Ctrl+C copy the task statement;
nine Tabs reach Calculate, Space presses it, and two Tabs more bring the
focus round to the output box, whose report is copied the same way.

Each start runs with Wine reporting Windows 10 or 11 (winecfg /v, checked
with cmd /c ver), one with the user's apps in dark mode. Before anything is
driven, its window must show each list's scroll bar with both arrows, and
the lists, price boxes and output box light with readable text; and it must
be, pixel for pixel, the window that the windowsvista style draws on
Windows 10 in light mode: the first start's prefix draws that reference
first, with the same program started with -style windowsvista, and every
text on the window's fixed colours must be readable in it
(screenshot_contrast, the Linux sessions' check, cross-built). That is how
the test knows which style drew a window, as nothing outside the program
can ask Qt. Then each list that a Tab reaches must show the focus: its
pixels change. In dark mode, the Fusion style's dark output box first proves
that Qt took the mode (Qt before 6.5 leaves it to window frames). The
pictures come from the screen Xvfb keeps in a file, and are left in the
current folder as PPM files.

    wine_window.py PACKAGE.zip SCREENSHOT_CONTRAST.exe QT_VERSION

The zip is unpacked into a scratch folder first: the program must run from
wherever its folder lands.
"""

import collections
import os
import re
import subprocess
import sys
import tempfile
import time
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "session"))
import screen_picture  # noqa: E402
import sessions  # noqa: E402
import wine  # noqa: E402

CLIENT_SIZE = (461, 345)
# Centres of Calculate and of the output box, in client pixels.
CALCULATE = (112, 172)
OUTPUT_BOX = (232, 252)
REPORT = ("Дисково пространство {Mb]: 10\n"
          "Брой сайтове: 2\n"
          "Брой MySQL бази данни: 0_5\n"
          "Период на обслужване [м]: 3\n"
          "Обща сума без ДДС: 15_5\n"
          "Дължимо ДДС: 3_1\n"
          "Сума за плащане: 18_6\n")
STATEMENT_START = "Разглеждаме безплатни хостинг услуги като:\n"
# From the output box: the four lists and price boxes, then Calculate; past
# Clear, the output box again.
TABS_TO_CALCULATE = 9
TABS_TO_OUTPUT_BOX = 2
# (locale, decimal symbol set by hand in the regional settings, separator,
# driven by the mouse or by keys alone, the Windows that Wine reports as
# winecfg names it, " dark" where the user's apps are in dark mode). The
# first start draws the reference, so it runs as Windows 10 in light mode.
CASES = [("bg_BG.UTF-8", None, ",", "mouse", "win10"),
         ("en_US.UTF-8", None, ".", "mouse", "win10"),
         ("en_US.UTF-8", ",", ",", "mouse", "win10"),
         ("bg_BG.UTF-8", None, ",", "keys", "win10"),
         ("bg_BG.UTF-8", None, ",", "mouse", "win11"),
         ("bg_BG.UTF-8", None, ",", "keys", "win11 dark")]
# Windows 11 is Windows 10.0 from build 22000 on.
WINDOWS_11_BUILD = 22000
PERSONALIZE = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Themes\Personalize"
WINDOW_COLOUR = (192, 192, 255)
# Client rectangles (left, top, width, height) of the controls that the
# style and the user's scheme draw.
LISTS = [(216, 64 + 24 * row, 81, 23) for row in range(4)]
PRICE_BOXES = [(312, 64 + 24 * row, 65, 21) for row in range(4)]
OUTPUT_BOX_AREA = (8, 192, 449, 121)
# Inside a frame, and left of a scroll bar (Windows' is 17 pixels wide).
FRAME = 2
SCROLL_BAR = 17
# Light: above mid-grey. Readable: WCAG's AA contrast for normal text.
LIGHT_LUMINANCE = 0.5
READABLE_CONTRAST = 4.5
# An arrow: some pixels that stand out of the button's face.
ARROW_CONTRAST = 3
ARROW_PIXELS = 4
SETTLE_SECONDS = 0.4
# From Qt 6.5 on, Qt's widgets follow Windows' dark app mode.
QT_WITH_DARK_MODE = (6, 5)
# Qt's word on what Wine lacks, which Windows 10 and 11 have: Wine 8 knows no
# per-monitor-v2 DPI awareness (the manifest asks for it), so Qt falls back to
# per-monitor awareness and its non-client scaling, which Wine has not
# implemented either; Wine 10 offers no monitor device interface, from which
# Qt 6.8 reads each monitor's name.
WINE_GAPS = ("qt.qpa.windows: SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)"
             " failed: COM error 0x57",
             "EnableNonClientDpiScaling() failed for HWND ",
             'qt.qpa.screen: "Unable to open monitor interface to ')


def clipboard(environment):
    copied = subprocess.run(["xclip", "-o", "-selection", "clipboard"], env=environment,
                            capture_output=True, timeout=10, check=False).stdout
    return copied.decode("utf-8", "replace").replace("\r\n", "\n")


def luminance(colour):
    """WCAG 2's relative luminance of an sRGB colour: 0 for black, 1 for white."""
    def linear(channel):
        value = channel / 255
        return value / 12.92 if value <= 0.04045 else ((value + 0.055) / 1.055) ** 2.4
    red, green, blue = map(linear, colour)
    return 0.2126 * red + 0.7152 * green + 0.0722 * blue


def contrast(first, second):
    lighter, darker = sorted((luminance(first), luminance(second)), reverse=True)
    return (lighter + 0.05) / (darker + 0.05)


class WindowScreen:
    """Pictures of the window `window`, from the screen Xvfb keeps in
    `folder`; `size` is its client size."""

    def __init__(self, environment, window, folder):
        geometry = dict(line.split("=") for line in sessions.xdotool(
            environment, "getwindowgeometry", "--shell", window).split())
        self.area = tuple(int(geometry[key]) for key in ("X", "Y", "WIDTH", "HEIGHT"))
        self.size = self.area[2:]
        self.folder = folder
        self.environment = environment

    def picture(self):
        return screen_picture.Picture(self.folder, self.area)

    def settled(self, what):
        """The picture once the window is drawn (its corner in the window
        colour) and has not changed for a while: past the first paints, the
        activation and the style's transitions, though shorter than a blink
        of the caret."""
        # Wine puts the pointer in the middle of the screen as its desktop
        # starts, where the window may lie; off it, nothing is drawn as under
        # the mouse, and Xvfb draws the pointer itself outside the picture.
        left, top, width, height = self.area
        sessions.xdotool(self.environment, "mousemove", str(left + width + 40),
                         str(top + height + 40))
        still = {}

        def settled_now():
            picture, now = self.picture(), time.monotonic()
            if picture.pixel(2, 2) != WINDOW_COLOUR or picture.rows != still.get("rows"):
                still.update(rows=picture.rows, since=now)
                return None
            return picture if now - still["since"] >= SETTLE_SECONDS else None
        return sessions.wait_for(settled_now, 30, what)


def set_up_windows(environment, windows, locale):
    """Makes Wine report the Windows `windows` names, in dark app mode where
    it says so, and checks that Windows programs are told that version: all
    in one cmd, as each Wine command takes seconds to start. A process reads
    the version as it starts, hence a new cmd for ver."""
    version, _, mode = windows.partition(" ")
    steps = [f"start /wait winecfg /v {version}"]
    if mode == "dark":
        steps.append(f"reg add {PERSONALIZE} /v AppsUseLightTheme /t REG_DWORD /d 0 /f >nul")
    steps.append("cmd /c ver")
    said = wine.run(["wine", "cmd", "/c", " & ".join(steps)], environment, 60,
                    capture_output=True, text=True, errors="replace").stdout.strip()
    build = re.search(r"\b10\.0\.(\d+)", said)
    if not build or (int(build[1]) >= WINDOWS_11_BUILD) != (version == "win11"):
        raise sessions.Failure(f"{locale}: Wine set to {version} reports {said!r}")


def drawn_with_style(program, style, environment, folder, locale):
    """The window as the style `style` draws it here: the program started
    with Qt's -style option, settled, then ended."""
    what = f"{locale}: the window with -style {style}"
    with tempfile.TemporaryFile("a+b") as stderr:
        started, window = wine.start_with_window(["wine", program, "-style", style], environment,
                                                 stderr, " Vostrel$", 90, what)
        try:
            return WindowScreen(environment, window, folder).settled(f"{what} to be drawn")
        finally:
            sessions.end(started)
            sessions.wait_for(lambda: not sessions.xdotool(
                environment, "search", "--onlyvisible", "--name", " Vostrel$").split(), 30,
                f"{what} to close")


def inside(rect, right_margin=0):
    left, top, width, height = rect
    return (left + FRAME, top + FRAME, width - 2 * FRAME - right_margin, height - 2 * FRAME)


def colours(picture, rect):
    """How many pixels of each colour the rectangle `rect` holds."""
    left, top, width, height = rect
    return collections.Counter(picture.pixel(x, y) for y in range(top, top + height)
                               for x in range(left, left + width))


def background(counted):
    return counted.most_common(1)[0][0]


def check_look(picture, locale):
    """The lists, price boxes and output box are light with readable text,
    and each list's scroll bar shows both its arrows."""
    controls = ([(f"List1_{row}", inside(rect, SCROLL_BAR)) for row, rect in enumerate(LISTS)]
                + [(f"Text2_{row}", inside(rect)) for row, rect in enumerate(PRICE_BOXES)]
                + [("Text1_0", inside(OUTPUT_BOX_AREA, SCROLL_BAR))])
    for name, rect in controls:
        counted = colours(picture, rect)
        paper = background(counted)
        ink = max(contrast(colour, paper) for colour in counted)
        if luminance(paper) < LIGHT_LUMINANCE or ink < READABLE_CONTRAST:
            raise sessions.Failure(f"{locale}: {name} is drawn in {paper}, its text at "
                                   f"{ink:.1f}:1, not light with readable text")
    for row, (left, top, width, height) in enumerate(LISTS):
        # The scroll bar fills the list's height inside its frame; its two
        # buttons share it, a pixel between them.
        bar_left = left + width - FRAME - SCROLL_BAR
        button = (height - 2 * FRAME - 1) // 2
        for end, bar_top in (("top", top + FRAME), ("bottom", top + height - FRAME - button)):
            counted = colours(picture, (bar_left, bar_top, SCROLL_BAR, button))
            face = background(counted)
            glyph = sum(count for colour, count in counted.items()
                        if contrast(colour, face) >= ARROW_CONTRAST)
            if glyph < ARROW_PIXELS:
                raise sessions.Failure(f"{locale}: List1_{row} shows no arrow at the {end} "
                                       "of its scroll bar")


def tab_into_list(environment, window, screen, row, locale):
    """Presses Tab, which takes the focus into List1_`row`: the list must
    show it, its pixels changing."""
    rect = LISTS[row]
    before = screen.picture().part(*rect)
    sessions.xdotool(environment, "key", "--window", window, "Tab")
    sessions.wait_for(lambda: screen.picture().part(*rect) != before, 10,
                      f"{locale}: List1_{row} to show the focus")


def report_by_mouse(environment, window, screen, locale):
    """Tabs into the first list, then clicks Calculate and the output box,
    and copies the box's text."""
    tab_into_list(environment, window, screen, 0, locale)
    for point in (CALCULATE, OUTPUT_BOX):
        sessions.xdotool(environment, "mousemove", "--window", window, *map(str, point),
                         "click", "1")

    def report():
        sessions.xdotool(environment, "key", "--window", window, "ctrl+a", "ctrl+c")
        copied = clipboard(environment)
        return copied if "ДДС" in copied else None
    return sessions.wait_for(report, 30, "the report on the clipboard")


def report_by_keys(environment, window, screen, locale):
    """With no click: what the focused output box holds, then the report
    that Calculate, pressed from the keyboard, writes. Every other Tab on
    the way to Calculate reaches a list, which must show the focus."""
    def copied(wanted):
        sessions.xdotool(environment, "key", "--window", window, "ctrl+a", "ctrl+c")
        text = clipboard(environment)
        return text if wanted(text) else None
    sessions.wait_for(lambda: copied(lambda t: t.startswith(STATEMENT_START)), 30,
                      f"{locale}: the task statement copied by keys alone")
    for row in range(len(LISTS)):
        tab_into_list(environment, window, screen, row, locale)
        sessions.xdotool(environment, "key", "--window", window, "Tab")
    sessions.xdotool(environment, "key", "--window", window,
                     *["Tab"] * (TABS_TO_CALCULATE - 2 * len(LISTS)),
                     "space", *["Tab"] * TABS_TO_OUTPUT_BOX)
    return sessions.wait_for(lambda: copied(lambda t: "ДДС" in t), 30,
                             f"{locale}: the report copied by keys alone")


def vista_reference(program_dir, checker, environment, folder, locale):
    """The window as the windowsvista style draws it, saved; every text on
    its fixed colours must be readable, and its output box light, by the
    cross-built screenshot_contrast, which finds Qt's DLLs in the program's
    folder."""
    program = os.path.join(program_dir, "vostrel.exe")
    reference = drawn_with_style(program, "windowsvista", environment, folder, locale)
    picture_file = os.path.abspath("wine_window-windowsvista.ppm")
    with open(picture_file, "wb") as saved:
        saved.write(reference.ppm())
    result = wine.run(["wine", checker, wine.windows_path(picture_file), "light"],
                      dict(environment, WINEPATH=wine.windows_path(program_dir)), 120,
                      capture_output=True, text=True, errors="replace")
    if result.returncode != 0:
        raise sessions.Failure(f"{locale}: screenshot_contrast, status {result.returncode}, "
                               f"on {picture_file}:\n{result.stdout}{result.stderr[-2000:]}")
    return reference


def check(program_dir, checker, qt_version, reference, number, locale, hand_set, separator,
          driven, windows):
    """One start; returns the reference picture, which it draws first when
    `reference` is None."""
    program = os.path.join(program_dir, "vostrel.exe")
    with tempfile.TemporaryDirectory(prefix="vostrel-screen-") as folder, \
            sessions.x_server(folder) as display:
        os.environ.update(LC_ALL=locale, LANG=locale)
        with wine.prefix(display=display) as environment:
            set_up_windows(environment, windows, locale)
            if hand_set:
                wine.run(["wine", "reg", "add", r"HKCU\Control Panel\International", "/v",
                          "sDecimal", "/d", hand_set, "/f"], environment, 60,
                         capture_output=True, check=True)
                locale = f"{locale} with '{hand_set}' set by hand"
            locale = f"{locale} on {windows}"
            if windows.endswith(" dark") and qt_version >= QT_WITH_DARK_MODE:
                # Qt must take the dark mode, or this start proves nothing:
                # the Fusion style follows it.
                fusion = drawn_with_style(program, "fusion", environment, folder, locale)
                box = background(colours(fusion, inside(OUTPUT_BOX_AREA, SCROLL_BAR)))
                if luminance(box) >= LIGHT_LUMINANCE:
                    raise sessions.Failure(f"{locale}: Qt took no dark mode: with -style "
                                           f"fusion, the output box is {box}")
            if reference is None:
                reference = vista_reference(program_dir, checker, environment, folder, locale)
            with tempfile.TemporaryFile("a+b") as stderr:
                started, window = wine.start_with_window(
                    ["wine", program], environment, stderr, " Vostrel$", 90,
                    f"{locale}: the window")
                try:
                    title = sessions.xdotool(environment, "getwindowname", window).strip()
                    screen = WindowScreen(environment, window, folder)
                    if screen.size != CLIENT_SIZE:
                        raise sessions.Failure(
                            f"{locale}: client size {screen.size}, not {CLIENT_SIZE}")
                    picture = screen.settled(f"{locale}: the window to be drawn")
                    picture_file = os.path.abspath(f"wine_window-{number}.ppm")
                    with open(picture_file, "wb") as saved:
                        saved.write(picture.ppm())
                    check_look(picture, locale)
                    # The caret blinks: the same picture comes within a blink.
                    try:
                        sessions.wait_for(lambda: screen.picture().rows == reference.rows, 5,
                                          "the window")
                    except sessions.Failure:
                        raise sessions.Failure(
                            f"{locale}: the window ({picture_file}) is not the one the "
                            "windowsvista style draws on Windows 10") from None

                    if driven == "keys":
                        text = report_by_keys(environment, window, screen, locale)
                        locale = f"{locale} by keys alone"
                    else:
                        text = report_by_mouse(environment, window, screen, locale)
                finally:
                    sessions.end(started)
                errors = [line for line in wine.written(stderr).splitlines()
                          if line.strip() and not wine.is_wine_line(line)
                          and not line.startswith(WINE_GAPS)]
    expected = REPORT.replace("_", separator)
    if text.rstrip("\n") != expected.rstrip("\n"):
        raise sessions.Failure(f"{locale}: the report reads\n{text}\nnot\n{expected}")
    if errors:
        raise sessions.Failure(f"{locale}: the program was not quiet:\n" + "\n".join(errors))
    print(f"{locale}: window '{title}', client {screen.size[0]} x {screen.size[1]}, drawn as "
          f"by windowsvista, light, arrows and focus shown, report with '{separator}'")
    return reference


def main():
    try:
        with tempfile.TemporaryDirectory(prefix="vostrel-zip-") as scratch:
            with zipfile.ZipFile(sys.argv[1]) as package:
                package.extractall(scratch)
            (folder,) = os.listdir(scratch)
            qt_version = tuple(int(part) for part in sys.argv[3].split("."))
            reference = None
            for number, case in enumerate(CASES, 1):
                reference = check(os.path.join(scratch, folder), sys.argv[2], qt_version,
                                  reference, number, *case)
    except (sessions.Failure, subprocess.TimeoutExpired) as failure:
        print(f"wine_window: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
