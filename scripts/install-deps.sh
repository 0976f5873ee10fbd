#!/bin/sh
# Installs, from Debian's archive, whichever packages are missing for one
# purpose:
#   install-deps.sh run    building the program and running it (the default)
#   install-deps.sh test   that, and everything the tests and benchmarks use
#   install-deps.sh windows  building Qt and the program for Windows, packing
#                          and running them under Wine (scripts/build-windows.sh)
#   install-deps.sh release  building the program, and what checks a
#                          release: the signing tools, a fake clock,
#                          diffoscope (tests/release/, which builds for
#                          Windows in a Debian system of its own)
#   install-deps.sh web    building the web edition and running its tests
#                          under Node (scripts/build-web.sh)
#   install-deps.sh web-test  the browsers and the screen reader the web
#                          page's tests and benchmark drive (tests/web/,
#                          bench/web/); their npm tools come apart, from
#                          scripts/install-web-test-tools.sh
# Safe to run again: when nothing is missing it neither updates the package
# lists nor installs anything. Every name is one Debian 12, 13 and testing
# all carry (libclang-rt-dev follows the release's default clang).
set -eu

purpose=${1:-run}

# The compiler and build tools, Qt's widgets and platform plugins, the
# renderer of the icon's images, the window's font; the Wayland plugin and Qt's translations, so the program runs
# natively on a Wayland session and Qt's own texts are in the user's language.
run_packages="
  cmake ninja-build g++ pkgconf
  qt6-base-dev qt6-qpa-plugins libxkbcommon-dev librsvg2-bin fonts-liberation2
  qt6-wayland qt6-translations-l10n
"

# Test frameworks and the benchmark library; the sessions the end-to-end
# checks start (X server, Wayland compositor, session and accessibility
# buses, GTK's schemes) and what they drive and read the program with; the
# locales the checks run under; the validators of the installed data and the
# package; the fuzzers' compiler and sanitizer runtime; the outside watcher's
# X libraries.
test_packages="
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth xdotool imagemagick weston
  dbus-bin dbus-daemon at-spi2-core python3 python3-gi python3-pyatspi
  qt6-gtk-platformtheme gnome-themes-extra
  locales-all
  desktop-file-utils appstream dpkg-dev file lintian devscripts
  clang libclang-rt-dev
  libxcb1-dev libxcb-damage0-dev
"

# The MinGW-w64 cross compiler, the host's Qt (its moc, rcc and uic serve the
# cross build) and the tools that unpack its source; the icon's renderer and
# the icon-file writer; the installer's compiler; GoogleTest's source for the
# cross-built tests; Wine with an X server, the font and the locales to run
# what was built; the check that a signed program is the one built.
windows_packages="
  cmake ninja-build g++ pkgconf perl dpkg-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  qt6-base-dev qt6-translations-l10n librsvg2-bin icoutils nsis googletest
  wine wine64 xvfb xauth xdotool xclip fonts-liberation2 locales-all python3
  osslsigncode
"

# Debian's package checker, the code- and checksum-signing tools, a fake
# clock for building at another time, diffoscope to say what differs, and
# mmdebstrap for the Debian 13 system the Windows packages are built in.
release_packages="
  lintian osslsigncode gnupg faketime diffoscope-minimal mmdebstrap
"

# Emscripten (with its clang, binaryen and acorn), Node for its tools and the
# tests, GoogleTest's source to compile with it; the host compiler for the
# page writer, fontTools with Brotli to cut the font to a WOFF2, the icon
# renderer and the font itself.
web_packages="
  cmake ninja-build g++ emscripten nodejs googletest
  fonttools python3-brotli librsvg2-bin fonts-liberation2 python3
"

# Debian's Chromium, Firefox ESR and WebKitGTK (its WebDriver brings
# MiniBrowser); an X server for WebKit and Orca, which hears Firefox over the
# session and accessibility buses; the page's fallback font; the Bulgarian
# locale WebKit takes its language from; Node.js and npm for the driver and
# its tools, where no Node.js or npm is on PATH already (one from elsewhere
# will do).
web_test_packages="
  chromium firefox-esr webkit2gtk-driver
  xvfb xauth xdotool dbus-bin dbus-daemon at-spi2-core orca python3
  fonts-liberation2 locales-all
"
command -v node >/dev/null 2>&1 || web_test_packages="$web_test_packages nodejs"
command -v npm >/dev/null 2>&1 || web_test_packages="$web_test_packages npm"

case $purpose in
  run) packages=$run_packages ;;
  test) packages="$run_packages $test_packages" ;;
  windows) packages=$windows_packages ;;
  release) packages="$run_packages $release_packages" ;;
  web) packages=$web_packages ;;
  web-test) packages=$web_test_packages ;;
  *)
    echo "usage: $0 [run|test|windows|release|web|web-test]" >&2
    exit 2
    ;;
esac

missing=""
for p in $packages; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null || true)
  [ "$status" = installed ] || missing="$missing $p"
done

if [ -z "$missing" ]; then
  exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
  as_root=""
elif command -v sudo >/dev/null 2>&1; then
  as_root="sudo"
else
  echo "$0: missing packages:$missing" >&2
  echo "Install them as root, then run this again:" >&2
  echo "  apt-get update && apt-get install --no-install-recommends$missing" >&2
  exit 1
fi

echo "Installing:$missing"
# Through env, so that the setting survives sudo's cleaned environment and
# debconf asks nothing. Where another installation holds the package
# database (a second script, the system's own updates), wait for it.
wait_for_lock="-o DPkg::Lock::Timeout=900"
# shellcheck disable=SC2086 # the option and the list are meant to split into words
$as_root env DEBIAN_FRONTEND=noninteractive apt-get $wait_for_lock update -qq
# shellcheck disable=SC2086
$as_root env DEBIAN_FRONTEND=noninteractive \
  apt-get $wait_for_lock install -y -qq --no-install-recommends $missing
