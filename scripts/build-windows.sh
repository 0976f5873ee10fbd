#!/bin/bash
# Builds Vostrel for 64-bit Windows on Debian and packages it:
#   build/windows/vostrel-1.00-windows-x64.zip        portable, runs from any folder
#   build/windows/vostrel-1.00-windows-x64-setup.exe  per-user installer
# Installs whatever it needs from Debian's archive (with sudo unless root),
# builds Qt's base module for Windows from Debian's own source of the host's
# Qt version with MinGW-w64, cross-builds the program and its tests against
# it, and packs both packages. Qt's build is kept under
#   ${XDG_CACHE_HOME:-~/.cache}/vostrel/qt-windows/VERSION-OPTIONS/
# and reused while the Qt version and the options below stay the same.
# Nothing is downloaded from anywhere but the archive the system already uses;
# the system's apt sources are left as they are.
#
# Usage: scripts/build-windows.sh [--qt-only]
#   --qt-only  stop once Qt is built (or found in the cache)
# Environment: JOBS, parallel compile jobs (default: the number of cores).
set -euo pipefail
cd "$(dirname "$0")/.."
source_dir=$PWD
jobs=${JOBS:-$(nproc)}
qt_only=0
for arg; do
  case $arg in
    --qt-only) qt_only=1 ;;
    *)
      echo "usage: $0 [--qt-only]" >&2
      exit 2
      ;;
  esac
done

say() { echo "build-windows: $*" >&2; }
log=""
trap 'say "failed${log:+; the end of $log:}"; [ -z "$log" ] || tail -n 40 "$log" >&2' ERR
elapsed() {
  local s=$((SECONDS - $1))
  printf '%dm%02ds' $((s / 60)) $((s % 60))
}

./scripts/install-deps.sh windows

toolchain=$source_dir/cmake/toolchains/mingw-w64-x86_64.cmake
qt_version=$(dpkg-query -W -f='${Version}' qt6-base-dev)
qt_upstream=${qt_version%%+*}
qt_upstream=${qt_upstream%%-*}

# Only what the program and its tests use: Core, Gui, Widgets, Test, the
# Windows and offscreen platform plugins and the Windows styles; not the GIF
# and ICO readers (the program reads only its own PNG icons, which Qt Gui
# reads itself). Direct2D stays: Qt 6.8's DirectWrite font database defines
# its font-file loader only with it, and fails to compile without it. Qt's own copies of its
# third-party libraries are used throughout, so the DLLs need nothing but
# Windows and the MinGW runtime. Debian's repack lacks the Wintab headers,
# hence no tablet events. From Qt 6.7 on, a unity build compiles the same
# sources in about half the time; older Qt ignores the setting.
qt_options=(
  -DCMAKE_BUILD_TYPE=Release
  -DQT_UNITY_BUILD=ON
  -DBUILD_SHARED_LIBS=ON
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++
  -DQT_BUILD_EXAMPLES=OFF
  -DQT_BUILD_TESTS=OFF
  -DQT_BUILD_BENCHMARKS=OFF
  -DFEATURE_sql=OFF
  -DFEATURE_network=OFF
  -DFEATURE_dbus=OFF
  -DFEATURE_opengl=OFF
  -DINPUT_opengl=no
  -DFEATURE_vulkan=OFF
  -DFEATURE_printsupport=OFF
  -DFEATURE_concurrent=OFF
  -DFEATURE_xml=OFF
  -DFEATURE_tabletevent=OFF
  -DFEATURE_jpeg=OFF
  -DFEATURE_gif=OFF
  -DFEATURE_ico=OFF
  -DFEATURE_zstd=OFF
  -DFEATURE_system_zlib=OFF
  -DFEATURE_system_png=OFF
  -DFEATURE_system_freetype=OFF
  -DFEATURE_system_harfbuzz=OFF
  -DFEATURE_system_pcre2=OFF
  -DFEATURE_system_doubleconversion=OFF
)
options_key=$(printf '%s\n' "${qt_options[@]}" | cat - "$toolchain" | sha256sum | cut -c1-12)
cache=${XDG_CACHE_HOME:-$HOME/.cache}/vostrel/qt-windows
qt_prefix=$cache/$qt_version-$options_key
export VOSTREL_WINDOWS_QT=$qt_prefix

# Fetches Debian's source of the host's Qt into $1, through a private list of
# deb-src entries made from the system's own deb entries.
fetch_qt_source() {
  local into=$1 apt_dir=$1/apt f
  mkdir -p "$apt_dir/sources" "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial"
  for f in /etc/apt/sources.list.d/*.sources; do
    [ -e "$f" ] || continue
    sed 's/^Types:.*/Types: deb-src/' "$f"
    echo
  done >"$apt_dir/sources/deb-src.sources"
  for f in /etc/apt/sources.list /etc/apt/sources.list.d/*.list; do
    [ -e "$f" ] || continue
    sed -n 's/^[[:space:]]*deb[[:space:]]/deb-src /p' "$f"
  done >"$apt_dir/sources/deb-src.list"
  local apt=(apt-get -q -o "Dir::Etc::SourceList=$apt_dir/sources/deb-src.list"
    -o "Dir::Etc::SourceParts=$apt_dir/sources" -o "Dir::State::Lists=$apt_dir/lists"
    -o "Dir::Cache=$apt_dir/cache" -o "APT::Sandbox::User=$(id -un)")
  log=$into/apt.log
  "${apt[@]}" update >"$log" 2>&1
  (cd "$into" && "${apt[@]}" source "qt6-base=$qt_version") >>"$log" 2>&1
}

build_qt() {
  local started=$SECONDS work src
  # What a failed or interrupted build left (kept until now for its logs);
  # the lock is held, so no other build is using it.
  rm -rf "$cache"/build.*
  work=$(mktemp -d "$cache/build.XXXXXX")
  say "building Qt $qt_upstream for Windows (Debian's qt6-base $qt_version) in $work"
  fetch_qt_source "$work"
  log=$work/configure.log
  src=$(find "$work" -mindepth 1 -maxdepth 1 -type d -name 'qt6-base-*')
  # Qt's resources carry their files' times, and patching gave some files
  # today's: the date of Debian's changelog entry stands in for every one of
  # them, so each build of this Qt writes the same libraries.
  local -x SOURCE_DATE_EPOCH
  SOURCE_DATE_EPOCH=$(dpkg-parsechangelog -l "$src/debian/changelog" -STimestamp)
  cmake -S "$src" -B "$work/build" -G Ninja \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" \
    -DCMAKE_INSTALL_PREFIX="$qt_prefix" \
    -DQT_HOST_PATH=/usr \
    -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" \
    "${qt_options[@]}" >"$work/configure.log" 2>&1
  log=$work/build.log
  cmake --build "$work/build" -j"$jobs" >"$log" 2>&1
  rm -rf "$qt_prefix"
  log=$work/install.log
  cmake --install "$work/build" --strip >"$log" 2>&1
  log=""
  # What the packages need to name Qt's licence and where its source is.
  mkdir -p "$qt_prefix/share/vostrel-qt-source"
  cp -r "$src/LICENSES" "$qt_prefix/share/vostrel-qt-source/"
  echo "$qt_version" >"$qt_prefix/share/vostrel-qt-source/debian-version"
  rm -rf "$work"
  touch "$qt_prefix/.complete"
  say "Qt built in $(elapsed "$started")"
}

# One Qt build at a time per cache, whichever script or system runs it: a
# second waits for the first, then reuses what it built. A complete Qt is
# reused at once, even while a Qt of other options is being built: nothing
# removes a complete one.
mkdir -p "$cache"
if [ ! -e "$qt_prefix/.complete" ]; then
  exec {cache_lock}>"$cache/.lock"
  if ! flock -n "$cache_lock"; then
    say "waiting for another build of Qt in $cache to finish"
    flock "$cache_lock"
  fi
  [ -e "$qt_prefix/.complete" ] || build_qt
  exec {cache_lock}>&-
fi
say "using Qt $qt_upstream for Windows from $qt_prefix"
[ "$qt_only" -eq 0 ] || exit 0

# The program and its tests, against that Qt; the host's Qt runs moc, rcc
# and the build's own tools.
# Each step's output goes to the log by itself, so that a failure's
# explanation (the trap above) still reaches the terminal.
started=$SECONDS
log=$source_dir/build/windows-build.log
mkdir -p build
cmake --preset windows \
  -DQT_HOST_PATH_CMAKE_DIR="/usr/lib/$(dpkg-architecture -qDEB_HOST_MULTIARCH)/cmake" >"$log" 2>&1
cmake --build --preset windows -j"$jobs" >>"$log" 2>&1
(cd build/windows && cpack) >>"$log" 2>&1
log=""
say "built and packed in $(elapsed "$started"):"
ls -1 build/windows/vostrel-*-windows-x64.zip build/windows/vostrel-*-windows-x64-setup.exe >&2
say "./scripts/test.sh now runs the Windows build's tests under Wine as well"
