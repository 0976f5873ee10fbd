"""Fresh Wine prefixes for the checks of the Windows build.

Each prefix is a new Windows user's machine: made for one check, ended with
it, holding nothing but Wine's own system. Times New Roman maps to Liberation
Serif, its metric twin, as a Windows machine has the font itself; the locale
is the environment's (LC_ALL, LANG), which Wine takes as the user's regional
settings. Every step is bounded in time.

Wine keeps variables named QT_... (and VK_...) from Windows programs, as
they are meant for Linux's own Qt; it passes WINEQT_X on as QT_X instead.
The prefix's environment renames them so, and callers set Qt's variables
under the WINE... name.
"""

import contextlib
import fcntl
import os
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "session"))
import sessions  # noqa: E402

# Wine's own diagnostics start so; the program's never do.
WINE_LINE_PREFIXES = ("wine:", "wine client error", "Could not find Wine Gecko")
# Wine starts its desktop process (explorer.exe /desktop) on demand, from
# whichever process of a newly started server first needs it. When two ask
# at once, one desktop is refused and the other comes up without a display
# driver: no window can be made until the server starts anew, and Qt says
# so. Windows has its desktop before any program starts.
NO_DESKTOP = "Failed to create platform window"


def is_wine_line(line):
    """Whether a line on standard error is Wine's rather than the program's:
    "wine: ..." or a debug channel's "0024:fixme:ntdll:...", say."""
    head = line.split(":", 2)
    return line.startswith(WINE_LINE_PREFIXES) or (
        len(head) == 3 and len(head[0]) == 4 and head[1] in ("fixme", "err", "warn", "trace"))


def windows_path(path):
    """A Linux path as Windows programs under Wine see it (drive Z: is /)."""
    return "Z:" + os.path.abspath(path).replace("/", "\\")


def run(argv, environment, seconds, **options):
    return subprocess.run(argv, env=environment, timeout=seconds, stdin=subprocess.DEVNULL,
                          **options)


@contextlib.contextmanager
def prefix(display=None, dll_dirs=()):
    """Yields the environment of a new prefix: Wine runs on the X server
    `display` or on none, and finds DLLs in `dll_dirs` as on Windows' PATH."""
    with tempfile.TemporaryDirectory(prefix="vostrel-wine-") as path:
        environment = dict(os.environ, WINEPREFIX=path, WINEARCH="win64", WINEDEBUG="-all",
                           # No offer to install Wine's .NET and HTML engines,
                           # and no copies of Start-menu entries and icons in
                           # the Linux user's own menus.
                           WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d",
                           # Whatever else Wine would share with the Linux
                           # desktop stays in the prefix's folder too.
                           XDG_DATA_HOME=os.path.join(path, "xdg-data"))
        for name in [n for n in environment if n.startswith(("QT_", "VK_"))]:
            environment["WINE" + name] = environment.pop(name)
        environment.pop("DISPLAY", None)
        environment.pop("WAYLAND_DISPLAY", None)
        if display:
            environment["DISPLAY"] = display
        if dll_dirs:
            environment["WINEPATH"] = ";".join(windows_path(d) for d in dll_dirs)
        try:
            run(["wine", "wineboot", "--init"], environment, 180, capture_output=True)
            run(["wine", "reg", "add", r"HKCU\Software\Wine\Fonts\Replacements",
                 "/v", "Times New Roman", "/d", "Liberation Serif", "/f"],
                environment, 60, capture_output=True, check=True)
            yield environment
        finally:
            subprocess.run(["wineserver", "--kill"], env=environment, timeout=30,
                           capture_output=True, check=False)
            subprocess.run(["wineserver", "--wait"], env=environment, timeout=30,
                           capture_output=True, check=False)


def written(errors):
    """What a program has written so far to the file `errors`; reading it
    leaves the file's position alone."""
    return os.pread(errors.fileno(), os.fstat(errors.fileno()).st_size, 0).decode(
        "utf-8", "replace")


def shown_windows(environment):
    """The names of all visible windows, for a report of what came instead."""
    return [sessions.xdotool(environment, "getwindowname", window).strip() for window in
            sessions.xdotool(environment, "search", "--onlyvisible", "--name", ".").split()]


def start_with_window(argv, environment, errors, name, seconds, what):
    """Starts the Windows program `argv`, its standard error appended to the
    file `errors` (made append-only here), and waits for its window, named
    to match `name`; returns the process and the window's id, or fails saying
    what was shown instead and what the program wrote. A start that found no
    desktop (see NO_DESKTOP) is ended, its lines dropped, and made once more
    on a server started anew."""
    # Qt on Windows sends its messages to the debugger unless told otherwise.
    environment = dict(environment, WINEQT_FORCE_STDERR_LOGGING="1")
    # Python's "a" mode only seeks to the end; the program shares the file's
    # position, so after the lines of a first start are dropped, a second
    # start would write behind a gap of zero bytes. O_APPEND keeps every write
    # at the end, wherever that is.
    flags = fcntl.fcntl(errors.fileno(), fcntl.F_GETFL)
    fcntl.fcntl(errors.fileno(), fcntl.F_SETFL, flags | os.O_APPEND)
    for attempt in (1, 2):
        started = sessions.start(argv, env=environment, stdout=subprocess.DEVNULL, stderr=errors)

        def no_desktop():
            return attempt == 1 and NO_DESKTOP in written(errors)

        try:
            found = sessions.wait_for(lambda: started.poll() is not None or no_desktop() or (
                sessions.xdotool(environment, "search", "--onlyvisible", "--name", name).split()),
                seconds, what)
            if started.poll() is not None:
                raise sessions.Failure(f"{what}: the program ended with status "
                                       f"{started.returncode}")
        except sessions.Failure as failure:
            shown = shown_windows(environment)
            sessions.end(started)
            raise sessions.Failure(f"{failure}; the windows shown: {shown}"
                                   f"; its standard error:\n{written(errors)[-4000:]}") from None
        except BaseException:
            sessions.end(started)
            raise
        if not no_desktop():
            return started, found[0]
        sessions.end(started)
        run(["wineserver", "--wait"], environment, 60)
        os.ftruncate(errors.fileno(), 0)
        print(f"{what}: Wine's desktop did not come up; started once more", file=sys.stderr)
