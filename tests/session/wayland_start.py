#!/usr/bin/env python3
"""Starts the real program in a Wayland session as GNOME gives one.

A headless Weston is the compositor and an Xvfb stands in for XWayland, so
that a program lacking Qt's Wayland support would quietly fall back to X11,
as it would on a user's desktop. The check passes when the program's window
is a native Wayland toplevel with our title, our desktop entry's name and
drawn content, the X11
platform was never loaded, and the program wrote nothing to standard error
besides the Wayland protocol trace it was asked for.

The session names no desktop: under GNOME's name Qt would load the GTK
theme, whose GTK complains that a headless compositor has no seat, which a
user's session always has. The dark-scheme check runs the GTK theme on X11.

    wayland_start.py PROGRAM
"""

import re
import subprocess
import sys
import threading

import sessions

TITLE = "vostrel.example.org Vostrel"
APP_ID = "org.example.vostrel"
# libwayland's trace: "[1234567.890]  -> wl_surface@12.commit()" and the like;
# newer releases write the time of day ("[04:54:43.999028]"), name the queue
# ("{Default Queue}") and write "wl_surface#12".
TRACE = re.compile(r"^\[\s*[\d:]+\.\d+\] ")
ATTACHED = re.compile(r"wl_surface[@#]\d+\.attach\(wl_buffer[@#]\d+")


def check(program):
    with sessions.runtime_directory() as runtime, sessions.x_server() as display, \
            sessions.session_bus(runtime) as bus, sessions.wayland_compositor(runtime) as wayland:
        environment = sessions.desktop_environment(
            runtime, DISPLAY=display, DBUS_SESSION_BUS_ADDRESS=bus, WAYLAND_DISPLAY=wayland,
            XDG_SESSION_TYPE="wayland", WAYLAND_DEBUG="client")
        started = sessions.start([program], env=environment, stdout=subprocess.PIPE,
                                   stderr=subprocess.PIPE, text=True, errors="replace")
        lines = []
        readers = [threading.Thread(target=lambda stream=stream: lines.extend(stream), daemon=True)
                   for stream in (started.stdout, started.stderr)]
        for reader in readers:
            reader.start()

        def drawn():
            trace = "\n".join(lines)
            titled = trace.find(f'set_title("{TITLE}")')
            return titled >= 0 and ATTACHED.search(trace, titled)
        def noise():
            return [line for line in lines if not TRACE.match(line) and line.strip()]

        try:
            # Anything but the trace (Qt's "could not find the Qt platform
            # plugin" first of all) fails the check; no need to wait on.
            sessions.wait_for(lambda: drawn() or noise() or started.poll() is not None, 30,
                              "the window to be drawn")
            if started.poll() is not None:
                raise sessions.Failure(f"the program ended with status {started.returncode}")
            with open(f"/proc/{started.pid}/maps", encoding="utf-8") as maps:
                loaded = maps.read()
        finally:
            sessions.end(started)
            for reader in readers:
                reader.join(timeout=5)

    if noise():
        raise sessions.Failure("the program was not quiet:\n" + "".join(noise()))
    # The compositor finds the icon and the name through the desktop entry.
    if not any(f'set_app_id("{APP_ID}")' in line for line in lines):
        raise sessions.Failure(f"the window does not name its desktop entry {APP_ID}")
    if "libqwayland" not in loaded:
        raise sessions.Failure("Qt's Wayland platform was not loaded")
    if "libqxcb" in loaded:
        raise sessions.Failure("the program fell back to X11")


if __name__ == "__main__":
    try:
        check(sys.argv[1])
    except sessions.Failure as failure:
        sys.exit(f"wayland_start: {failure}")
    print("wayland_start: native Wayland window, drawn, nothing on stderr")
