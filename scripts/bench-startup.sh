#!/bin/sh
# Installs whatever is missing, builds the program, the bare reference window
# and the watcher optimised, and compares the start-up of the program with the
# bare window's, from outside, in a plain X session and in one with a screen
# reader's accessibility bus: time until the window is mapped and drawn,
# processor time and peak memory by then, and the time until the first
# accessibility answer. Extra arguments go to the driver, e.g. --rounds 50.
# BUILD_DIR picks another build directory (build/bench).
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh test
build=${BUILD_DIR:-build/bench}
cmake --preset bench -B "$build"
cmake --build "$build" --target vostrel startup_bare x11_window_watch
# Debian's interpreter: it has the GObject bindings (python3-gi) the
# accessibility probe needs, which another python3 first on PATH may lack.
exec /usr/bin/python3 bench/startup/startup_compare.py \
  --program "$build/app/vostrel" --bare "$build/bench/startup/startup_bare" \
  --watch "$build/tools/x11_window_watch/x11_window_watch" "$@"
