#!/bin/sh
# Installs, from Debian's archive, whichever of the packages the build, the
# program and its tests need are missing. Safe to run again: when nothing is
# missing it neither updates the package lists nor installs anything.
set -eu

packages="
  cmake ninja-build g++ pkgconf
  qt6-base-dev qt6-qpa-plugins libxkbcommon-dev fonts-liberation2
  libgtest-dev libgmock-dev libbenchmark-dev
  xvfb xauth python3
  libxcb1-dev libxcb-damage0-dev dbus-bin dbus-daemon at-spi2-core python3-gi
  desktop-file-utils appstream librsvg2-bin dpkg-dev
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
else
  as_root="sudo"
fi

echo "Installing:$missing"
$as_root apt-get update -qq
# shellcheck disable=SC2086 # the list is meant to split into words
DEBIAN_FRONTEND=noninteractive $as_root apt-get install -y -qq --no-install-recommends $missing
