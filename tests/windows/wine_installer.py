#!/usr/bin/env python3
"""Installs the Windows installer silently into a fresh Wine prefix, once
into the default folder and once into one given with /D=, as a user without
administrator rights; then the Start-menu entry and the entry under
installed programs must be there, the installed program must open its
window, and the silent uninstall must leave no file, entry or key behind.

    wine_installer.py SETUP.exe
"""

import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "session"))
import sessions  # noqa: E402
import wine  # noqa: E402

UNINSTALL_KEY = r"HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Vostrel"
# (case, extra installer arguments, install folder under the user's profile)
CASES = [
    ("default folder", [], r"AppData\Local\Programs\Vostrel"),
    # NSIS takes /D= unquoted, so the test folder has no blank.
    ("/D= folder", [r"/D=C:\users\{user}\Apps\Vostrel"], r"Apps\Vostrel"),
]


def profile(environment):
    """The prefix's user profile folder, as Linux sees it."""
    users = os.path.join(environment["WINEPREFIX"], "drive_c", "users")
    (user,) = [name for name in os.listdir(users) if name != "Public"]
    return user, os.path.join(users, user)


def registry_value(environment, name):
    result = wine.run(["wine", "reg", "query", UNINSTALL_KEY, "/v", name], environment, 60,
                      capture_output=True, text=True, errors="replace")
    for line in result.stdout.splitlines():
        parts = line.split(None, 2)
        if parts and parts[0] == name:
            return parts[2] if len(parts) > 2 else ""
    return None


def check(setup, case, arguments, folder):
    with sessions.x_server() as display, wine.prefix(display=display) as environment:
        user, home = profile(environment)
        arguments = [a.format(user=user) for a in arguments]
        wine.run(["wine", setup, "/S", *arguments], environment, 300, capture_output=True)
        # The installer returns before Wine's services have written everything.
        wine.run(["wineserver", "--wait"], environment, 120)

        installed = os.path.join(home, *folder.split("\\"))
        shortcut = os.path.join(home, "AppData", "Roaming", "Microsoft", "Windows",
                                "Start Menu", "Programs", "Vostrel.lnk")
        steps = [
            ("the program is installed", os.path.isfile(os.path.join(installed, "vostrel.exe"))),
            ("the Start-menu entry is there", os.path.isfile(shortcut)),
            ("installed programs list version 1.00",
             registry_value(environment, "DisplayVersion") == "1.00"),
            ("installed programs name it Vostrel",
             registry_value(environment, "DisplayName") == "Vostrel"),
        ]
        for what, done in steps:
            if not done:
                raise sessions.Failure(f"{case}: not so: {what}")

        with tempfile.TemporaryFile("a+b") as errors:
            started, _ = wine.start_with_window(
                ["wine", os.path.join(installed, "vostrel.exe")], environment, errors,
                " Vostrel$", 90, f"{case}: the installed program's window")
            sessions.end(started)
            wine.run(["wineserver", "--wait"], environment, 60)

        # The uninstaller copies itself away and returns at once; the copy
        # removes the files.
        wine.run(["wine", os.path.join(installed, "Uninstall.exe"), "/S"], environment, 300,
                 capture_output=True)
        wine.run(["wineserver", "--wait"], environment, 120)
        left = [os.path.join(d, f) for d, _, files in os.walk(installed) for f in files]
        if os.path.exists(installed) or os.path.exists(shortcut) or left:
            raise sessions.Failure(f"{case}: the uninstall left files behind: "
                                   f"{left or [installed, shortcut]}")
        if registry_value(environment, "DisplayName") is not None:
            raise sessions.Failure(f"{case}: the uninstall left the uninstall entry")
    print(f"{case}: installed, listed as Vostrel 1.00 with a Start-menu entry, started, "
          "uninstalled without a trace")


def main():
    try:
        for case, arguments, folder in CASES:
            check(os.path.abspath(sys.argv[1]), case, arguments, folder)
    except (sessions.Failure, subprocess.TimeoutExpired) as failure:
        print(f"wine_installer: {failure}", file=sys.stderr)
        return 1
    return 0


if __name__ == "__main__":
    sys.exit(main())
