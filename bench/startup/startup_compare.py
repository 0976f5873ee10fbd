#!/usr/bin/env python3
"""Compares the start-up of the program with that of a bare Qt window.

Both are measured from outside, as a user experiences them, by
x11_window_watch (tools/x11_window_watch; its header explains the moments):
from just before the process is started until its window is mapped, and until
its content is drawn (the DAMAGE it received covers the window); the
processor time spent by then and the peak resident set (VmHWM) at that
moment. Then the watcher closes the window and the program must end quietly.

Two conditions, each on an Xvfb of its own (no window manager, which the
watcher relies on) and with a D-Bus session bus of its own
(dbus-run-session), as every desktop session has one; without it libdbus
would launch one on the first start and leave it running:

  plain          no accessibility bus.
  accessibility  a screen reader's session: the accessibility bus is up
                 (at-spi-bus-launcher --launch-immediately) and
                 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 for the programs. Here the
                 driver also times, from the same start, the program's first
                 answer to an accessibility query: it polls the AT-SPI
                 registry for an application whose process is the program's
                 and asks that application for its window's name, which is
                 what a screen reader does when a program appears. The first
                 non-empty name ends the clock.

The two programs run interleaved, after warm-up rounds that are not counted;
the medians and the ratios program/bare are printed with the goal (ratio at
most GOAL) met or not. The accessibility condition needs Debian's python3
with its GObject bindings (python3-gi).
"""

import argparse
import json
import os
import random
import shutil
import statistics
import subprocess
import sys
import tempfile
import time
from pathlib import Path

GOAL = 1.10
WATCH_TIMEOUT_S = 30
# Each run ends in well under a second; this bounds a run that hangs anyway.
RUN_TIMEOUT_S = 3 * WATCH_TIMEOUT_S
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"
CONDITIONS = ("plain", "accessibility")

# key in the watcher's line (or the driver's own), title, divisor to the unit
COLUMNS = (("drawn_us", "drawn [ms]", 1000), ("mapped_us", "mapped [ms]", 1000),
           ("cpu_us", "CPU [ms]", 1000), ("peak_rss_kib", "peak RSS [MiB]", 1024),
           ("accessible_us", "a11y answer [ms]", 1000))
JUDGED = ("drawn_us", "peak_rss_kib", "accessible_us")


def fail(message):
    sys.exit(f"startup_compare: {message}")


def start_xvfb(log):
    """Starts Xvfb on a free display, its messages to `log`; returns the process
    and the display name.

    The number is drawn from a range few others use: the low ones are where
    other sessions and tests look first, and one of them cleaning up its own
    display must not take ours away. Xvfb refuses a number already locked.
    Without -noreset the server starts afresh each time its last client
    leaves, as after every run, and refuses the next one meanwhile.
    """
    for number in random.sample(range(1000, 30000), 20):
        server = subprocess.Popen(
            ["Xvfb", f":{number}", "-displayfd", "1", "-screen", "0", "1024x768x24",
             "-nolisten", "tcp", "-noreset"],
            stdout=subprocess.PIPE, stderr=log, text=True)
        if server.stdout.readline().strip() == str(number):
            return server, f":{number}"
        server.kill()
        server.wait()
    return fail("could not start Xvfb")


def figures_of(line):
    return {key: int(value) for key, value in
            (pair.split("=", 1) for pair in line.split() if "=" in pair)}


class AccessibilityProbe:
    """Asks the accessibility bus, as a screen reader would, for a program's window."""

    REGISTRY = "org.a11y.atspi.Registry"
    ROOT = "/org/a11y/atspi/accessible/root"
    ACCESSIBLE = "org.a11y.atspi.Accessible"
    CALL_TIMEOUT_MS = 1000

    def __init__(self):
        from gi.repository import Gio, GLib  # pylint: disable=import-outside-toplevel
        self.gio, self.glib = Gio, GLib
        session = Gio.bus_get_sync(Gio.BusType.SESSION, None)
        deadline = time.monotonic() + 20
        while True:
            try:
                address = session.call_sync(
                    "org.a11y.Bus", "/org/a11y/bus", "org.a11y.Bus", "GetAddress", None,
                    GLib.VariantType("(s)"), Gio.DBusCallFlags.NONE, self.CALL_TIMEOUT_MS,
                    None).unpack()[0]
                self.bus = Gio.DBusConnection.new_for_address_sync(
                    address, Gio.DBusConnectionFlags.AUTHENTICATION_CLIENT |
                    Gio.DBusConnectionFlags.MESSAGE_BUS_CONNECTION, None, None)
                self.applications()  # starts the registry, so runs do not pay for it
                return
            except GLib.Error as error:
                if time.monotonic() > deadline:
                    fail(f"the accessibility bus did not come up: {error.message}")
                time.sleep(0.05)

    def call(self, name, path, interface, method, arguments, reply):
        return self.bus.call_sync(name, path, interface, method, arguments,
                                  self.glib.VariantType(reply), self.gio.DBusCallFlags.NONE,
                                  self.CALL_TIMEOUT_MS, None).unpack()

    def applications(self):
        return self.call(self.REGISTRY, self.ROOT, self.ACCESSIBLE, "GetChildren", None,
                         "(a(so))")[0]

    def window_name(self, application):
        name, path = application
        window = self.call(name, path, self.ACCESSIBLE, "GetChildAtIndex",
                           self.glib.Variant("(i)", (0,)), "((so))")[0]
        return self.call(window[0], window[1], "org.freedesktop.DBus.Properties", "Get",
                         self.glib.Variant("(ss)", (self.ACCESSIBLE, "Name")), "(v)")[0]

    def first_answer_ns(self, pid, deadline):
        """Polls until the application of process `pid` names its window; returns when."""
        pids = {}
        while time.monotonic() < deadline:
            try:
                for application in self.applications():
                    name = application[0]
                    if name not in pids:
                        pids[name] = self.call("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                               "org.freedesktop.DBus",
                                               "GetConnectionUnixProcessID",
                                               self.glib.Variant("(s)", (name,)), "(u)")[0]
                    if pids[name] == pid and self.window_name(application):
                        return time.monotonic_ns()
            except self.glib.Error:
                pass  # an application that left, or one not ready to answer yet
            time.sleep(0.001)
        return None


def run_once(watch, program, environment, probe):
    """Runs `program` once under the watcher; returns its figures."""
    command = [watch, "--timeout", str(WATCH_TIMEOUT_S)] + (["--hold"] if probe else [])
    with subprocess.Popen(command + ["--", program], env=environment, text=True,
                          stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                          stderr=subprocess.PIPE) as watcher:
        started = figures_of(watcher.stdout.readline())
        figures = {}
        if probe and "pid" in started:
            answered = probe.first_answer_ns(started["pid"], time.monotonic() + WATCH_TIMEOUT_S)
            if answered is not None:
                figures["accessible_us"] = (answered - started["t0_ns"]) // 1000
        try:
            out, err = watcher.communicate("close\n" if probe else None, timeout=RUN_TIMEOUT_S)
        except subprocess.TimeoutExpired:
            watcher.kill()
            out, err = watcher.communicate()
        for line in out.splitlines():
            figures.update(figures_of(line))
        wanted = [key for key, _, _ in COLUMNS if key != "accessible_us" or probe]
        if watcher.returncode != 0 or err or any(key not in figures for key in wanted):
            raise RuntimeError(f"{program} failed (status {watcher.returncode}):\n{out}{err}")
        return figures


def measure(arguments, condition):
    """All rounds of one condition, in this process; returns samples per program."""
    runtime = tempfile.mkdtemp(prefix="startup_compare.")
    server_log = Path(runtime, "xvfb.log")
    with server_log.open("w") as log:
        server, display = start_xvfb(log)
    launcher = None
    try:
        environment = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
                           XDG_RUNTIME_DIR=runtime)
        environment.pop("QT_LINUX_ACCESSIBILITY_ALWAYS_ON", None)
        probe = None
        if condition == "accessibility":
            launcher = subprocess.Popen([BUS_LAUNCHER, "--launch-immediately"], env=environment,
                                        stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            probe = AccessibilityProbe()
            environment["QT_LINUX_ACCESSIBILITY_ALWAYS_ON"] = "1"
        programs = {"bare": arguments.bare, "program": arguments.program}
        samples = {name: [] for name in programs}
        for round_number in range(arguments.warmup + arguments.rounds):
            # Alternate which goes first, so that neither always follows the other.
            order = list(programs) if round_number % 2 == 0 else list(reversed(programs))
            for name in order:
                try:
                    figures = run_once(arguments.watch, programs[name], environment, probe)
                except RuntimeError as error:
                    gone = server.poll() is not None
                    fail(f"{error}" + ("\n(the X server had ended meanwhile)" if gone else "") +
                         f"\nthe X server's messages:\n{server_log.read_text()}")
                if round_number >= arguments.warmup:
                    samples[name].append(figures)
        return samples
    finally:
        if launcher is not None:
            launcher.terminate()
            launcher.wait(timeout=10)
        server.terminate()
        server.wait(timeout=10)
        shutil.rmtree(runtime, ignore_errors=True)


def report(arguments, condition, samples):
    def median(name, key):
        return statistics.median(sample[key] for sample in samples[name])

    columns = [column for column in COLUMNS if column[0] in samples["bare"][0]]
    names = {"bare": Path(arguments.bare).name, "program": Path(arguments.program).name}
    print(f"{condition}: medians of {arguments.rounds} runs each")
    print(f"{'':22}" + "".join(f"{title:>18}" for _, title, _ in columns))
    for name, shown in names.items():
        print(f"{shown:22}" + "".join(f"{median(name, key) / scale:18.1f}"
                                      for key, _, scale in columns))
    ratios = [median("program", key) / median("bare", key) for key, _, _ in columns]
    print(f"{'ratio program/bare':22}" + "".join(f"{ratio:18.3f}" for ratio in ratios))
    print(f"{f'goal ratio <= {GOAL:.2f}':22}" +
          "".join(f"{('met' if ratio <= GOAL else 'NOT MET') if key in JUDGED else '':>18}"
                  for (key, _, _), ratio in zip(columns, ratios)))
    print()


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="the program, e.g. build/bench/app/vostrel")
    parser.add_argument("--bare", required=True, help="the bare window, startup_bare")
    parser.add_argument("--watch", required=True, help="the watcher, x11_window_watch")
    parser.add_argument("--rounds", type=int, default=30, help="measured runs of each (30)")
    parser.add_argument("--warmup", type=int, default=3,
                        help="runs of each first, not counted, to warm the caches (3)")
    parser.add_argument("--conditions", default=",".join(CONDITIONS),
                        help="which to run, comma-separated (plain,accessibility)")
    parser.add_argument("--inside", choices=CONDITIONS, help=argparse.SUPPRESS)
    arguments = parser.parse_args()
    for name in ("program", "bare", "watch"):
        setattr(arguments, name, os.path.abspath(getattr(arguments, name)))

    if arguments.inside:
        # Run by the outer driver, inside the session the condition needs.
        print(json.dumps(measure(arguments, arguments.inside)))
        return

    print(f"Start-up from outside, {arguments.warmup} warm-up rounds, programs interleaved\n")
    for condition in arguments.conditions.split(","):
        if condition not in CONDITIONS:
            fail(f"no condition {condition!r}; there are {', '.join(CONDITIONS)}")
        # The session bus's daemon may complain (about resource limits, say)
        # on the shared standard error; that is shown only if the run fails.
        inner = subprocess.run(
            ["dbus-run-session", "--", sys.executable, os.path.abspath(__file__),
             "--inside", condition] + [f"--{name}={getattr(arguments, name)}" for name in
                                       ("program", "bare", "watch", "rounds", "warmup")],
            capture_output=True, text=True, check=False,
            timeout=(arguments.warmup + arguments.rounds) * 2 * RUN_TIMEOUT_S + 60)
        if inner.returncode != 0 or not inner.stdout:
            fail(f"the {condition} session failed:\n{inner.stderr}")
        report(arguments, condition, json.loads(inner.stdout.splitlines()[-1]))


if __name__ == "__main__":
    main()
