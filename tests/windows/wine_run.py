#!/usr/bin/env python3
"""Runs a cross-built Windows test program under Wine in a fresh prefix, as
CTest's emulator for the Windows build. Without a display: the window tests
run on Qt's offscreen platform, which draws with the font files of
Liberation 2 (package fonts-liberation2, or fonts-liberation from Debian 13
on).

    wine_run.py [--dlls DIR]... -- PROGRAM [ARGUMENT]...
"""

import argparse
import glob
import os
import subprocess
import sys

import wine

# Liberation 2's folder: liberation2 on Debian 12, liberation from 13 on.
FONT_DIR = os.path.dirname(
    (glob.glob("/usr/share/fonts/truetype/liberation*/LiberationSerif-Regular.ttf") or [""])[0])


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--dlls", action="append", default=[])
    parser.add_argument("--seconds", type=int, default=900)
    parser.add_argument("command", nargs=argparse.REMAINDER)
    options = parser.parse_args()
    command = options.command[1:] if options.command[:1] == ["--"] else options.command
    with wine.prefix(dll_dirs=options.dlls) as environment:
        environment["WINEQT_QPA_FONTDIR"] = wine.windows_path(FONT_DIR)
        # Qt Test writes to the debugger unless told that stdout is read.
        environment["WINEQT_FORCE_STDERR_LOGGING"] = "1"
        try:
            result = wine.run(["wine"] + command, environment, options.seconds,
                              stderr=subprocess.PIPE, text=True, errors="replace")
        except subprocess.TimeoutExpired:
            print(f"wine_run: {command[0]} did not end within {options.seconds} s",
                  file=sys.stderr)
            return 1
    sys.stderr.write("".join(line for line in result.stderr.splitlines(keepends=True)
                             if not wine.is_wine_line(line)))
    return result.returncode


if __name__ == "__main__":
    sys.exit(main())
