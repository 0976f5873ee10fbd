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
# And the web edition's, where scripts/build-web.sh has built it: the page's
# start-up against the same page without its script, and the core under Node
# against the core natively.
if [ -f build/web/index.html ]; then
  ./scripts/bench-web.sh
  ./scripts/bench-core-node.sh
fi
