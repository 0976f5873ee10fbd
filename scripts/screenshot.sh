#!/bin/sh
# Starts the real program on a virtual X server, presses Calculate with the
# keyboard as a user would, and saves the window to docs/screenshot.png.
# Usage: scripts/screenshot.sh [locale]   (default bg_BG.UTF-8)
set -eu
cd "$(dirname "$0")/.."

./scripts/install-deps.sh test
cmake --preset default >/dev/null
cmake --build --preset default --target vostrel

display=":$(( 90 + $$ % 9 ))"
Xvfb "$display" -screen 0 800x600x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
app=""
trap 'kill $app $xvfb 2>/dev/null || true' EXIT
export DISPLAY="$display"
sleep 1

LC_ALL="${1:-bg_BG.UTF-8}" ./build/default/app/vostrel &
app=$!
window=""
for _ in $(seq 50); do
  window=$(xdotool search --onlyvisible --name Vostrel 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  sleep 0.1
done
[ -n "$window" ] || { echo "the window did not appear" >&2; exit 1; }

# Focus starts in the output box; nine Tabs reach Calculate.
xdotool windowfocus --sync "$window"
xdotool key --delay 30 Tab Tab Tab Tab Tab Tab Tab Tab Tab space
sleep 0.5
mkdir -p docs
import -window "$window" docs/screenshot.png
echo "wrote docs/screenshot.png"
