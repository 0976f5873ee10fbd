#!/bin/sh
# Installs, from Debian's archive, whichever of the packages the build, the
# program and its tests need are missing. Safe to run again: when nothing is
# missing it neither updates the package lists nor installs anything.
set -eu

packages="
  cmake ninja-build g++ pkgconf
  qt6-base-dev qt6-qpa-plugins libxkbcommon-dev fonts-liberation2
  qt6-wayland qt6-translations-l10n
  weston qt6-gtk-platformtheme gnome-themes-extra xdotool imagemagick
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth python3
  python3-pyatspi
  libxcb1-dev libxcb-damage0-dev dbus-bin dbus-daemon at-spi2-core python3-gi
  desktop-file-utils appstream librsvg2-bin dpkg-dev file lintian
  clang libclang-rt-14-dev
"

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
# debconf asks nothing.
$as_root env DEBIAN_FRONTEND=noninteractive apt-get update -qq
# shellcheck disable=SC2086 # the list is meant to split into words
$as_root env DEBIAN_FRONTEND=noninteractive \
  apt-get install -y -qq --no-install-recommends $missing
