#!/bin/sh
# Installs whatever is missing, builds, and runs every test.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh test
cmake --workflow --preset default
