#!/bin/sh
# Installs whatever is missing, builds the benchmarks optimised and runs them.
# Extra arguments go to the benchmark, e.g. --benchmark_filter=ReadNumber.
# BUILD_DIR picks another build directory (build/bench).
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh test
build=${BUILD_DIR:-build/bench}
cmake --preset bench -B "$build"
cmake --build "$build" --target calc_bench
"$build/bench/calc_bench" "$@"
# Then the start-up of the window against a bare Qt window; it takes its own
# options, see scripts/bench-startup.sh.
BUILD_DIR="$build" ./scripts/bench-startup.sh
# And the web page's, where scripts/build-web.sh has built it.
if [ -f build/web/index.html ]; then
  ./scripts/bench-web.sh
fi
