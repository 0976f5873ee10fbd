#!/bin/sh
# Builds the web edition and writes the site to build/web/: the page, its
# style sheet, the WebAssembly module with its loader, the font, the icons,
# the manifest and the service worker. Any static server can serve that
# folder; scripts/serve-web.py serves it on localhost and prints the address.
# Installs what it needs from Debian's archive first (with sudo unless root).
# Once this build is there, ./scripts/test.sh runs the web tests too.
set -eu
cd "$(dirname "$0")/.."
./scripts/install-deps.sh web
# Emscripten's tools load Debian's Node modules (acorn); a Node installed from
# elsewhere does not look for them where Debian puts them.
NODE_PATH=/usr/share/nodejs${NODE_PATH:+:$NODE_PATH}
export NODE_PATH
cmake --preset web
cmake --build --preset web
rm -rf build/web
cmake --install build/web-wasm --prefix build/web >/dev/null
echo "build-web: the page is in build/web/; scripts/serve-web.py serves it on localhost" >&2
