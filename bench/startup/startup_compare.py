#!/usr/bin/env python3
"""Compares the start-up of the program with that of a bare Qt window.

Runs the two programs in turn, round after round, each with
VOSTREL_STARTUP_PROBE holding the CLOCK_MONOTONIC time taken just before the
process starts; each prints the time until its window has been shown and
painted, the processor time spent by then and its peak resident set at that
moment, then quits (see app/startup_probe.h). Prints the medians and the
ratios program/bare. The processor time is the steadier figure when other
work shares the machine.

The programs run on the X server in DISPLAY; without one, the script starts
its own Xvfb for the run.
"""

import argparse
import os
import statistics
import subprocess
import sys
import time
from pathlib import Path

PROBE_VARIABLE = "VOSTREL_STARTUP_PROBE"


def start_xvfb():
    """Starts Xvfb on the first free display; returns the process and the display."""
    for number in range(90, 200):
        if Path(f"/tmp/.X{number}-lock").exists() or Path(f"/tmp/.X11-unix/X{number}").exists():
            continue
        server = subprocess.Popen(
            ["Xvfb", f":{number}", "-screen", "0", "1024x768x24", "-nolisten", "tcp"],
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        socket = Path(f"/tmp/.X11-unix/X{number}")
        deadline = time.monotonic() + 10
        while time.monotonic() < deadline and server.poll() is None:
            if socket.exists():
                return server, f":{number}"
            time.sleep(0.02)
        server.kill()
        server.wait()
    sys.exit("startup_compare: could not start Xvfb")


COLUMNS = (("startup_us", "start-up [ms]", 1000), ("cpu_us", "CPU [ms]", 1000),
           ("peak_rss_kib", "peak RSS [MiB]", 1024))


def run_once(program, environment):
    """Runs `program` once; returns its figures in the units of COLUMNS."""
    environment[PROBE_VARIABLE] = str(time.monotonic_ns())
    finished = subprocess.run([program], env=environment, capture_output=True, text=True,
                              timeout=60, check=False)
    figures = dict(pair.split("=", 1) for line in finished.stdout.splitlines()
                   for pair in line.split() if "=" in pair)
    if finished.returncode != 0 or any(key not in figures for key, _, _ in COLUMNS):
        sys.exit(f"startup_compare: {program} failed (status {finished.returncode}):\n"
                 f"{finished.stdout}{finished.stderr}")
    return [int(figures[key]) / scale for key, _, scale in COLUMNS]


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--program", required=True, help="the program, e.g. build/bench/app/vostrel")
    parser.add_argument("--bare", required=True, help="the bare window, startup_bare")
    parser.add_argument("--rounds", type=int, default=30, help="measured runs of each (30)")
    parser.add_argument("--warmup", type=int, default=3,
                        help="runs of each first, not counted, to warm the caches (3)")
    arguments = parser.parse_args()

    programs = {"bare": os.path.abspath(arguments.bare),
                "program": os.path.abspath(arguments.program)}
    environment = dict(os.environ)
    environment["QT_QPA_PLATFORM"] = "xcb"
    server = None
    if not environment.get("DISPLAY"):
        server, environment["DISPLAY"] = start_xvfb()

    samples = {name: [] for name in programs}
    try:
        for round_number in range(arguments.warmup + arguments.rounds):
            # Alternate which goes first, so that neither always follows the other.
            order = list(programs) if round_number % 2 == 0 else list(reversed(programs))
            for name in order:
                figures = run_once(programs[name], environment)
                if round_number >= arguments.warmup:
                    samples[name].append(figures)
    finally:
        if server is not None:
            server.terminate()
            server.wait()

    def median(name, column):
        return statistics.median(sample[column] for sample in samples[name])

    columns = range(len(COLUMNS))
    print(f"Medians of {arguments.rounds} runs each, display {environment['DISPLAY']}")
    print(f"{'':20}" + "".join(f"{title:>16}" for _, title, _ in COLUMNS))
    for name in programs:
        print(f"{Path(programs[name]).name:20}" +
              "".join(f"{median(name, column):16.1f}" for column in columns))
    print(f"{'ratio program/bare':20}" +
          "".join(f"{median('program', column) / median('bare', column):16.2f}"
                  for column in columns))


if __name__ == "__main__":
    main()
