#!/bin/sh
# Installs whatever is missing, builds the benchmarks optimised and runs them.
# Extra arguments go to the benchmark, e.g. --benchmark_filter=ReadNumber.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset bench
cmake --build --preset bench --target calc_bench
./build/bench/bench/calc_bench "$@"
# Then the start-up of the window against a bare Qt window; it takes its own
# options, see scripts/bench-startup.sh.
./scripts/bench-startup.sh
