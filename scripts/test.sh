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
# Where scripts/build-windows.sh has built for Windows, that build too, and
# its packages, which the test 'windows' opens under Wine.
if [ -d build/windows ]; then
  ./scripts/build-windows.sh
fi
cmake --workflow --preset default
