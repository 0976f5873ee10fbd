"""Private desktop sessions for end-to-end checks of the real program.

Each session starts its own servers in a private runtime directory and ends
them, whatever happens, when its `with` block ends. Every wait is bounded.
"""

import contextlib
import os
import shutil
import signal
import subprocess
import sys
import tempfile
import time


class Failure(Exception):
    """What the check found wrong; the driver prints it and exits 1."""


def wait_for(condition, seconds, what):
    """Polls `condition` until it returns a true value, which it returns."""
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise Failure(f"gave up after {seconds} s waiting for {what}")


def start(argv, **options):
    """Starts a process in a group of its own, so that `end` also reaches
    whatever it starts in turn."""
    return subprocess.Popen(argv, stdin=subprocess.DEVNULL, start_new_session=True, **options)


def end(process):
    """Ends a process that `start` started, and its group, politely first."""
    def signal_group(number):
        try:
            os.killpg(process.pid, number)
        except ProcessLookupError:
            pass

    # Once the leader has ended, this reaches whatever it left behind.
    signal_group(signal.SIGTERM)
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        signal_group(signal.SIGKILL)
        process.wait()


def xdotool(environment, *arguments):
    """What xdotool prints on the session's X server; empty where it finds
    nothing."""
    return subprocess.run(["xdotool", *arguments], env=environment, capture_output=True,
                          text=True, timeout=20, check=False).stdout


def rerun_in_private_session(script, arguments, prefix, seconds, unset=()):
    """Runs `script --inside ARGUMENTS...` again under a session bus
    of its own (dbus-run-session), with a fresh RUNTIME folder as its
    XDG_RUNTIME_DIR and HOME and none of our display or bus addresses nor
    the variables in `unset`; returns its exit status, 1 if it outlives
    `seconds`. The folder goes once the session has ended."""
    runtime = tempfile.mkdtemp(prefix=prefix)
    os.chmod(runtime, 0o700)
    dropped = {"DBUS_SESSION_BUS_ADDRESS", "AT_SPI_BUS_ADDRESS", "DISPLAY", "WAYLAND_DISPLAY",
               *unset}
    environment = {key: value for key, value in os.environ.items() if key not in dropped}
    environment.update(XDG_RUNTIME_DIR=runtime, HOME=runtime)
    session = start(["dbus-run-session", "--", sys.executable, os.path.abspath(script),
                     "--inside", *arguments], env=environment)
    try:
        return session.wait(timeout=seconds)
    except subprocess.TimeoutExpired:
        print("FAIL: the session outlived its time", file=sys.stderr)
        return 1
    finally:
        end(session)
        shutil.rmtree(runtime, ignore_errors=True)


@contextlib.contextmanager
def runtime_directory():
    """A fresh XDG_RUNTIME_DIR, readable by its owner alone."""
    with tempfile.TemporaryDirectory(prefix="vostrel-session-") as path:
        os.chmod(path, 0o700)
        yield path


@contextlib.contextmanager
def announcing_server(argv, what):
    """Starts a server that writes one line, its address, to the descriptor
    `argv` names as "{fd}" once it is ready; yields that line."""
    read_end, write_end = os.pipe()
    server = start([word.replace("{fd}", str(write_end)) for word in argv],
                   pass_fds=(write_end,), stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    os.close(write_end)
    try:
        with os.fdopen(read_end) as announced:
            line = wait_for(announced.readline, 20, what).strip()
        yield line
    finally:
        end(server)


@contextlib.contextmanager
def x_server(screen_dir=None):
    """An Xvfb on a display it picks itself; yields the DISPLAY value. Given
    a folder `screen_dir`, Xvfb keeps its screen there, as the XWD file
    Xvfb_screen0 that always shows what is on it."""
    keep_screen = ["-fbdir", screen_dir] if screen_dir else []
    with announcing_server(["Xvfb", "-displayfd", "{fd}", "-screen", "0", "1024x768x24",
                            "-nolisten", "tcp", *keep_screen],
                           "Xvfb to pick a display") as number:
        yield f":{number}"


@contextlib.contextmanager
def session_bus(runtime_dir):
    """A private D-Bus session bus, as every desktop session has one; yields
    the DBUS_SESSION_BUS_ADDRESS value."""
    with announcing_server(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                            f"--address=unix:dir={runtime_dir}", "--print-address={fd}"],
                           "the session bus") as address:
        yield address


@contextlib.contextmanager
def settings_portal(bus_address, scheme):
    """The desktop portal's appearance settings (settings_portal.py) on the
    session bus at `bus_address`, preferring the `scheme` "dark" or "light"."""
    portal = start(
        [sys.executable, os.path.join(os.path.dirname(os.path.abspath(__file__)),
                                      "settings_portal.py"), scheme],
        env=dict(os.environ, DBUS_SESSION_BUS_ADDRESS=bus_address),
        stdout=subprocess.PIPE, text=True)
    try:
        if wait_for(portal.stdout.readline, 20, "the settings portal").strip() != "ready":
            raise Failure("the settings portal did not start")
        yield
    finally:
        end(portal)


@contextlib.contextmanager
def wayland_compositor(runtime_dir):
    """A headless Weston; yields the WAYLAND_DISPLAY value."""
    socket = "vostrel-wayland"
    environment = dict(os.environ, XDG_RUNTIME_DIR=runtime_dir)
    environment.pop("DISPLAY", None)
    environment.pop("WAYLAND_DISPLAY", None)
    compositor = start(
        ["weston", "--backend=headless-backend.so", f"--socket={socket}", "--idle-time=0",
         "--no-config"],
        env=environment, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        wait_for(lambda: os.path.exists(os.path.join(runtime_dir, socket))
                 or compositor.poll() is not None, 20, "Weston's socket")
        if compositor.poll() is not None:
            raise Failure(f"Weston ended at once with status {compositor.returncode}")
        yield socket
    finally:
        end(compositor)


def desktop_environment(runtime_dir, **variables):
    """The environment of a desktop session: ours, without the test's own
    platform choice, plus `variables` (a value of None removes one)."""
    environment = dict(os.environ, XDG_RUNTIME_DIR=runtime_dir)
    for name in ("QT_QPA_PLATFORM", "QT_QPA_PLATFORMTHEME", "QT_SCALE_FACTOR", "DISPLAY",
                 "WAYLAND_DISPLAY", "XDG_SESSION_TYPE", "GTK_THEME", "DBUS_SESSION_BUS_ADDRESS",
                 "AT_SPI_BUS_ADDRESS"):
        environment.pop(name, None)
    for name, value in variables.items():
        if value is None:
            environment.pop(name, None)
        else:
            environment[name] = value
    return environment
