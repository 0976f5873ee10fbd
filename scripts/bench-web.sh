#!/bin/sh
# Compares the web page's start-up in headless Chromium with the same page
# without its script (bench/web/web_startup.js says what it measures), and
# weighs the whole site compressed. Installs the browser and the npm tools
# it drives it with first. Extra arguments go to the driver, e.g.
# --rounds 50 or --site DIR (default build/web, from scripts/build-web.sh).
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh web-test
./scripts/install-web-test-tools.sh
exec node bench/web/web_startup.js "$@"
