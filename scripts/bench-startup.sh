#!/bin/sh
# Installs whatever is missing, builds the program and the bare reference
# window optimised, and compares their start-up: time until the window is
# shown and painted, processor time and peak memory. Extra arguments go to the
# driver, e.g. --rounds 50. BUILD_DIR picks another build directory
# (build/bench).
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
build=${BUILD_DIR:-build/bench}
cmake --preset bench -B "$build"
cmake --build "$build" --target vostrel startup_bare
exec python3 bench/startup/startup_compare.py \
  --program "$build/app/vostrel" --bare "$build/bench/startup/startup_bare" "$@"
