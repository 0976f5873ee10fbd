#!/usr/bin/env python3
"""Starts the real vostrel.exe of the Windows package under Wine on a private
Xvfb, under a Bulgarian and an English locale and under English with the
decimal symbol set to a comma by hand, each in a fresh prefix. The window
must be named "... Vostrel" with the client size of the form (461 x 345 at
96 dpi); Calculate, clicked, must write the start-up report with the
locale's decimal separator; and nothing but Wine's own lines may reach
standard error (Qt's messages are sent there, not to the debugger).

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
# (locale, decimal symbol set by hand in the regional settings, separator)
LOCALES = [("bg_BG.UTF-8", None, ","), ("en_US.UTF-8", None, "."), ("en_US.UTF-8", ",", ",")]
# Qt's word on what Wine lacks, which Windows 10 and 11 have: Wine 8 knows no
# per-monitor-v2 DPI awareness (the manifest asks for it), so Qt falls back to
# per-monitor awareness and its non-client scaling, which Wine has not
# implemented either; Wine 10 offers no monitor device interface, from which
# Qt 6.8 reads each monitor's name.
WINE_GAPS = ("qt.qpa.windows: SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2)"
             " failed: COM error 0x57",
             "EnableNonClientDpiScaling() failed for HWND ",
             'qt.qpa.screen: "Unable to open monitor interface to ')


def check(program_dir, locale, hand_set, separator):
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

                    for point in (CALCULATE, OUTPUT_BOX):
                        sessions.xdotool(environment, "mousemove", "--window", window,
                                         *map(str, point), "click", "1")

                    def report():
                        sessions.xdotool(environment, "key", "--window", window, "ctrl+a",
                                         "ctrl+c")
                        copied = subprocess.run(["xclip", "-o", "-selection", "clipboard"],
                                                env=environment, capture_output=True, timeout=10,
                                                check=False).stdout.decode("utf-8", "replace")
                        return copied.replace("\r\n", "\n") if "ДДС" in copied else None
                    text = sessions.wait_for(report, 30, "the report on the clipboard")
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
            for locale, hand_set, separator in LOCALES:
                check(os.path.join(scratch, folder), locale, hand_set, separator)
    except (sessions.Failure, subprocess.TimeoutExpired) as failure:
        print(f"wine_window: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
