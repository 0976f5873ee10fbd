#!/usr/bin/env python3
"""Starts the real program on X11 under a desktop colour scheme, as GNOME
users set it (Qt's GTK theme over GTK's Adwaita, dark or light, and the
desktop portal's colour-scheme preference to match), takes a
screenshot of its window and has every fixed-background text checked for
contrast (screenshot_contrast). Fails on any output on standard error too.

    dark_scheme.py PROGRAM CHECKER dark|light
"""

import os
import subprocess
import sys

import sessions


def check(program, checker, scheme):
    theme = "Adwaita:dark" if scheme == "dark" else "Adwaita"
    with sessions.runtime_directory() as runtime, sessions.x_server() as display, \
            sessions.session_bus(runtime) as bus, sessions.settings_portal(bus, scheme):
        environment = sessions.desktop_environment(
            runtime, DISPLAY=display, DBUS_SESSION_BUS_ADDRESS=bus, QT_QPA_PLATFORMTHEME="gtk3",
            GTK_THEME=theme)
        started = sessions.start([program], env=environment, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.PIPE, text=True, errors="replace")
        try:
            found = sessions.wait_for(
                lambda: started.poll() is not None or subprocess.run(
                    ["xdotool", "search", "--onlyvisible", "--name", "Vostrel"],
                    env=environment, capture_output=True, text=True, check=False).stdout.split(),
                30, "the window")
            if started.poll() is not None:
                raise sessions.Failure(f"the program ended with status {started.returncode}:\n"
                                       + started.stderr.read())
            picture = os.path.join(runtime, "window.ppm")
            # The first picture can precede the first paint; the window is
            # drawn once it shows the window colour in its top-left corner.
            def take():
                subprocess.run(["import", "-window", found[0], picture], env=environment,
                               check=True, timeout=20, capture_output=True)
                corner = subprocess.run(["convert", picture, "-format", "%[pixel:p{2,2}]",
                                         "info:"], check=True, timeout=20, capture_output=True,
                                        text=True).stdout
                return corner.strip() in ("srgb(192,192,255)", "rgb(192,192,255)")
            sessions.wait_for(take, 20, "the window to be drawn")
            result = subprocess.run([checker, picture, scheme], capture_output=True, text=True,
                                    timeout=20, check=False)
        finally:
            sessions.end(started)
        errors = started.stderr.read()
    print(result.stdout, end="")
    if result.returncode != 0:
        raise sessions.Failure(f"text illegible under the {scheme} scheme\n{result.stderr}")
    if errors.strip():
        raise sessions.Failure(f"the program was not quiet:\n{errors}")


if __name__ == "__main__":
    try:
        check(*sys.argv[1:4])
    except sessions.Failure as failure:
        sys.exit(f"dark_scheme: {failure}")
