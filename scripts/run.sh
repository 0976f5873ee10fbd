#!/bin/sh
# Installs whatever is missing, builds the program and opens its window.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh
cmake --preset default
cmake --build --preset default --target vostrel
exec ./build/default/app/vostrel "$@"
