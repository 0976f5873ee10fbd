#!/bin/sh
# Installs whatever is missing, builds BuildFeeReport's timing program
# (bench/fee_report_timing/) optimised both natively (the bench preset) and
# as WebAssembly (the web-bench preset), from one source with the same -O3,
# runs the two interleaved, and prints the medians and the ratio Node/native
# against the goal of at most 2.00. Each run reports the 10th percentile of
# its 201 short samples (see the program); the figures printed are the
# medians over the runs.
# Usage: scripts/bench-core-node.sh [--rounds N]   (default 9)
# BUILD_DIR picks another native build directory (build/bench).
set -eu
export LC_ALL=C  # the figures are parsed and printed with a point
cd "$(dirname "$0")/.."
rounds=9
while [ $# -gt 0 ]; do
  case $1 in
    --rounds) rounds=$2; shift 2 ;;
    *) echo "usage: $0 [--rounds N]" >&2; exit 2 ;;
  esac
done
./scripts/install-deps.sh test
./scripts/install-deps.sh web
native_build=${BUILD_DIR:-build/bench}
cmake --preset bench -B "$native_build" >/dev/null
cmake --build "$native_build" --target fee_report_timing
cmake --preset web-bench >/dev/null
cmake --build --preset web-bench
native=$native_build/bench/fee_report_timing/fee_report_timing
web=build/web-bench/bench/fee_report_timing/fee_report_timing.js
# Node as CTest starts the tests (cmake/NodeEmulator.cmake).
set -- node
if node --no-experimental-fetch -e "" 2>/dev/null; then
  set -- node --no-experimental-fetch
fi

samples=$(mktemp)
trap 'rm -f "$samples"' EXIT
i=0
while [ "$i" -lt "$rounds" ]; do
  echo "native $("$native")" >>"$samples"
  echo "node $("$@" "$web")" >>"$samples"
  i=$((i + 1))
done

median() {
  awk -v side="$1" '$1 == side { print $2 }' "$samples" | sort -n |
    awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
}
native_median=$(median native)
node_median=$(median node)
echo
echo "BuildFeeReport, start-up inputs: medians of $rounds interleaved runs"
printf '%-34s %10.1f ns\n' "native ($(g++ -dumpfullversion 2>/dev/null || echo g++))" "$native_median"
printf '%-34s %10.1f ns\n' "Node $(node --version) (Emscripten $(em++ -dumpversion))" "$node_median"
awk -v n="$native_median" -v w="$node_median" 'BEGIN {
  r = w / n
  printf "%-34s %10.2f\n", "ratio Node/native", r
  printf "%-34s %10s\n", "goal ratio <= 2.00", (r <= 2.0 ? "met" : "NOT MET")
}'
