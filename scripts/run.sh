#!/bin/sh
# Installs whatever is missing for the program alone, builds it and opens its
# window.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh run
cmake --preset program
cmake --build --preset program
exec ./build/program/app/vostrel "$@"
