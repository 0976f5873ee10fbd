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

    wine_window.py PACKAGE.zip

The zip is unpacked into a scratch folder first: the program must run from
wherever its folder lands.
"""

import os
import subprocess
import sys
import tempfile
import zipfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "session"))
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
# driven by the mouse or by keys alone)
CASES = [("bg_BG.UTF-8", None, ",", "mouse"), ("en_US.UTF-8", None, ".", "mouse"),
         ("en_US.UTF-8", ",", ",", "mouse"), ("bg_BG.UTF-8", None, ",", "keys")]
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


def report_by_mouse(environment, window):
    """Clicks Calculate and the output box, and copies the box's text."""
    for point in (CALCULATE, OUTPUT_BOX):
        sessions.xdotool(environment, "mousemove", "--window", window, *map(str, point),
                         "click", "1")

    def report():
        sessions.xdotool(environment, "key", "--window", window, "ctrl+a", "ctrl+c")
        copied = clipboard(environment)
        return copied if "ДДС" in copied else None
    return sessions.wait_for(report, 30, "the report on the clipboard")


def report_by_keys(environment, window, locale):
    """From the start, with no click: what the focused output box holds,
    then the report that Calculate, pressed from the keyboard, writes."""
    def copied(wanted):
        sessions.xdotool(environment, "key", "--window", window, "ctrl+a", "ctrl+c")
        text = clipboard(environment)
        return text if wanted(text) else None
    sessions.wait_for(lambda: copied(lambda t: t.startswith(STATEMENT_START)), 30,
                      f"{locale}: the task statement copied by keys alone")
    sessions.xdotool(environment, "key", "--window", window, *["Tab"] * TABS_TO_CALCULATE,
                     "space", *["Tab"] * TABS_TO_OUTPUT_BOX)
    return sessions.wait_for(lambda: copied(lambda t: "ДДС" in t), 30,
                             f"{locale}: the report copied by keys alone")


def check(program_dir, locale, hand_set, separator, driven):
    with sessions.x_server() as display:
        os.environ.update(LC_ALL=locale, LANG=locale)
        with wine.prefix(display=display) as environment:
            if hand_set:
                wine.run(["wine", "reg", "add", r"HKCU\Control Panel\International", "/v",
                          "sDecimal", "/d", hand_set, "/f"], environment, 60,
                         capture_output=True, check=True)
                locale = f"{locale} with '{hand_set}' set by hand"
            with tempfile.TemporaryFile("a+b") as stderr:
                started, window = wine.start_with_window(
                    ["wine", os.path.join(program_dir, "vostrel.exe")], environment, stderr,
                    " Vostrel$", 90, f"{locale}: the window")
                try:
                    title = sessions.xdotool(environment, "getwindowname", window).strip()
                    geometry = dict(line.split("=") for line in sessions.xdotool(
                        environment, "getwindowgeometry", "--shell", window).split())
                    size = (int(geometry["WIDTH"]), int(geometry["HEIGHT"]))
                    if size != CLIENT_SIZE:
                        raise sessions.Failure(f"{locale}: client size {size}, not {CLIENT_SIZE}")

                    if driven == "keys":
                        text = report_by_keys(environment, window, locale)
                        locale = f"{locale} by keys alone"
                    else:
                        text = report_by_mouse(environment, window)
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
    print(f"{locale}: window '{title}', client {size[0]} x {size[1]}, report with '{separator}'")


def main():
    try:
        with tempfile.TemporaryDirectory(prefix="vostrel-zip-") as scratch:
            with zipfile.ZipFile(sys.argv[1]) as package:
                package.extractall(scratch)
            (folder,) = os.listdir(scratch)
            for case in CASES:
                check(os.path.join(scratch, folder), *case)
    except (sessions.Failure, subprocess.TimeoutExpired) as failure:
        print(f"wine_window: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
