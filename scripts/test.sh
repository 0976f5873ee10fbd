#!/bin/sh
# Installs whatever is missing, builds, and runs every test.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh test
# Where scripts/build-web.sh has built the web edition, the tests take it up
# to date with the sources, with the browsers and tools they drive.
if [ -d build/web-wasm ]; then
  ./scripts/build-web.sh
  ./scripts/install-deps.sh web-test
  ./scripts/install-web-test-tools.sh
fi
cmake --workflow --preset default
