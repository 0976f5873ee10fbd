#!/bin/sh
# Installs the tools the web page's tests and benchmark drive browsers with
# (puppeteer-core, Lighthouse, axe-core: Debian has none of them) from npm, at
# the exact versions tests/web/package-lock.json names, into build/web-tools/
# and nowhere else. Nothing is installed globally and no browser is
# downloaded: the tests use Debian's Chromium, Firefox ESR and WebKitGTK.
# Safe to run again: when the lock file is the one already installed, it
# does nothing. TOOLS_DIR picks another folder.
set -eu
cd "$(dirname "$0")/.."
tools=${TOOLS_DIR:-build/web-tools}
lock=tests/web/package-lock.json
stamp="$tools/installed-lock.sha256"

if ! command -v npm >/dev/null 2>&1; then
  echo "$0: npm is missing; scripts/install-deps.sh web-test installs it" >&2
  exit 1
fi
wanted=$(sha256sum "$lock" tests/web/package.json | sha256sum | cut -d' ' -f1)
if [ -f "$stamp" ] && [ "$(cat "$stamp")" = "$wanted" ] && [ -d "$tools/node_modules" ]; then
  exit 0
fi

mkdir -p "$tools"
cp tests/web/package.json "$lock" "$tools/"
rm -f "$stamp"
# No install scripts run (none of these needs one, and puppeteer's would
# fetch a browser); npm's own download of a browser is switched off too.
if ! (cd "$tools" && PUPPETEER_SKIP_DOWNLOAD=1 npm ci --ignore-scripts --no-audit --no-fund \
  --loglevel=error); then
  echo "$0: npm could not install the locked packages into $tools." >&2
  echo "It needs the npm registry (or a cache holding those versions); run it again once" >&2
  echo "the registry can be reached. The web tests are skipped meanwhile." >&2
  exit 1
fi
echo "$wanted" >"$stamp"
echo "install-web-test-tools: the web test tools are in $tools/" >&2
