#!/bin/bash
# Builds release files from this source tree into the folder OUT:
#   deb      vostrel_VERSION~debNN_ARCH.deb for the Debian release it runs
#            on (NN its version), held to lintian where lintian is installed
#   windows  vostrel-VERSION-windows-x64.zip and ...-windows-x64-setup.exe,
#            made by scripts/build-windows.sh; with VOSTREL_SIGNED_EXE naming
#            a code-signed copy of that build's vostrel.exe, the packages that
#            hold it instead, ...-windows-x64-signed.zip and
#            ...-windows-x64-signed-setup.exe
#   web      vostrel-VERSION-web.zip, the site scripts/build-web.sh writes,
#            in a top folder vostrel-VERSION-web/
# Two builds of one source write the same bytes, whatever their folder, the
# builder's umask, locale, time zone and clock: every time stamp is
# SOURCE_DATE_EPOCH, taken from the commit when unset, and the rest of the
# environment that reaches the files is fixed here. scripts/release.sh runs
# this in fresh Debian systems; it installs what it needs as the two
# commands do (with sudo unless root).
#
# Usage: scripts/build-release.sh OUT deb|windows|web...
set -euo pipefail
cd "$(dirname "$0")/.."
[ $# -ge 2 ] || {
  echo "usage: $0 OUT deb|windows|web..." >&2
  exit 2
}
mkdir -p "$1"
out=$(realpath "$1")
shift

if [ -z "${SOURCE_DATE_EPOCH:-}" ]; then
  SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
fi
export SOURCE_DATE_EPOCH
umask 022
export LC_ALL=C.UTF-8 TZ=UTC
version=$(sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p' CMakeLists.txt)
say() { echo "build-release: $*" >&2; }

build_deb() {
  local build=build/release-deb release
  ./scripts/install-deps.sh run
  rm -rf "$build"
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
  cmake --build "$build" >/dev/null
  (cd "$build" && cpack -G DEB >/dev/null)
  release=$(. /etc/os-release && echo "${VERSION_ID:-testing}")
  local deb=$out/vostrel_${version}~deb${release}_$(dpkg --print-architecture).deb
  cp "$build"/vostrel_"$version"_*.deb "$deb"
  if command -v lintian >/dev/null; then
    lintian --no-cfg --fail-on error,warning "$deb" >&2
  fi
  say "wrote $deb"
}

build_windows() {
  local name=vostrel-$version-windows-x64${VOSTREL_SIGNED_EXE:+-signed}
  ./scripts/build-windows.sh
  cp build/windows/"$name".zip build/windows/"$name"-setup.exe "$out/"
  say "wrote $out/$name.zip and $out/$name-setup.exe"
}

# A zip holds each entry's time, mode and order as the folder gave them: here
# every entry is dated SOURCE_DATE_EPOCH, readable by all, in the order of
# its name, with no extra fields.
build_web() {
  local name=vostrel-$version-web
  ./scripts/build-web.sh
  python3 - build/web "$name" "$out/$name.zip" <<'PYTHON'
import os, sys, time, zipfile
site, top, path = sys.argv[1:]
stamp = time.gmtime(max(int(os.environ["SOURCE_DATE_EPOCH"]), 315532800))[:6]
names = sorted(os.path.relpath(os.path.join(d, f), site)
               for d, _, files in os.walk(site) for f in files)
with zipfile.ZipFile(path, "w") as archive:
    for name in names:
        entry = zipfile.ZipInfo(f"{top}/{name}", stamp)
        entry.external_attr = 0o100644 << 16
        entry.compress_type = zipfile.ZIP_DEFLATED
        with open(os.path.join(site, name), "rb") as f:
            archive.writestr(entry, f.read(), compresslevel=9)
PYTHON
  say "wrote $out/$name.zip"
}

for kind; do
  case $kind in
    deb) build_deb ;;
    windows) build_windows ;;
    web) build_web ;;
    *)
      echo "$0: no such release file kind: $kind" >&2
      exit 2
      ;;
  esac
done
