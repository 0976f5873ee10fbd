#!/bin/sh
# Builds the libFuzzer targets (preset "fuzz") and runs each for a bounded
# time, starting from the committed seed corpus. Inputs found along the way go
# to a scratch directory, never into fuzz/corpus. Fails on any finding; the
# crashing input is left in build/fuzz/findings.
#
# FUZZ_SECONDS sets the time per target (default 30).
set -eu
cd "$(dirname "$0")/.."

if ! command -v clang++ >/dev/null 2>&1; then
  echo "fuzz.sh: clang++ is not installed; skipping the fuzzers."
  exit 0
fi

seconds="${FUZZ_SECONDS:-30}"

cmake --preset fuzz
cmake --build --preset fuzz

scratch=build/fuzz/corpus-run
findings=build/fuzz/findings
mkdir -p "$findings"

status=0
for seeds in fuzz/corpus/*/; do
  target=$(basename "$seeds")
  binary="build/fuzz/fuzz/$target"
  if [ ! -x "$binary" ]; then
    echo "fuzz.sh: no fuzzer built for $seeds" >&2
    status=1
    continue
  fi
  rm -rf "${scratch:?}/$target"
  mkdir -p "$scratch/$target"
  cp "$seeds"* "$scratch/$target/"
  echo "== $target: ${seconds}s"
  # -timeout catches a single input that takes too long (anything but linear
  # reading shows up on the long inputs), -rss_limit_mb runaway memory.
  if ! "$binary" "$scratch/$target" \
      -max_total_time="$seconds" -timeout=10 -rss_limit_mb=1024 -max_len=65536 \
      -print_final_stats=1 -artifact_prefix="$findings/$target-"; then
    echo "fuzz.sh: $target found a fault; see $findings" >&2
    status=1
  fi
done
exit $status
