#!/bin/bash
# Makes the release of the committed HEAD (never the uncommitted changes),
# each file built in a fresh minimal Debian system as a plain user, or,
# with --verify DIR, builds it again and compares it with the files in DIR.
#
#   vostrel-VERSION.tar.gz                   the source (git archive of HEAD)
#   vostrel_VERSION~deb12_amd64.deb          built on Debian 12 (Qt 6.4)
#   vostrel_VERSION~deb13_amd64.deb          built on Debian 13 (Qt 6.8)
#   vostrel-VERSION-windows-x64.zip          built on Debian 13, Qt 6.8
#   vostrel-VERSION-windows-x64-setup.exe
#   vostrel-VERSION-web.zip                  the web edition, built on Debian 13
#   vostrel-VERSION-debNN.buildinfo          each system's release,
#                                            architecture, packages and
#                                            SOURCE_DATE_EPOCH
#   SHA256SUMS
# Each package is then installed with apt-get on a fresh system of its
# release, and its window must open. And, signed, when keys are given (see below):
#   vostrel-VERSION-windows-x64-signed.zip, ...-signed-setup.exe, SHA256SUMS.asc
#
# SOURCE_DATE_EPOCH is the commit's time; scripts/build-release.sh makes
# every file the same bytes whoever builds it, wherever and whenever. Qt for
# Windows is kept between runs in $RELEASE_CACHE/RELEASE (default
# /var/cache/vostrel-release), so a second release costs minutes.
#
# Usage, as root:  scripts/release.sh [--verify DIR] [OUT]
#   OUT       where the files go (default release/VERSION; must not exist)
#   --verify  rebuild and compare with DIR: each file identical, or how it
#             differs; signed packages are rebuilt around the program that
#             DIR's signed zip holds and compared with their signatures
#             removed (the signatures themselves need the keys)
# Environment, for signing (scripts/sign.sh): VOSTREL_SIGN_CERT and
# VOSTREL_SIGN_KEY, or VOSTREL_SIGN_PKCS12, sign the Windows program and
# installer; VOSTREL_GPG_KEY signs SHA256SUMS.
# Progress goes to standard error; the last line is the verdict. Exit
# status: 0 done (with --verify: every file identical), 1 failed or
# differs, 2 usage.
set -u
umask 022
# Names listed and sorted in one order, whatever the caller's locale.
export LC_ALL=C

usage() {
  echo "usage: $0 [--verify DIR] [OUT]" >&2
  exit 2
}
verify=""
out=""
while [ $# -gt 0 ]; do
  case $1 in
    --verify)
      [ $# -ge 2 ] || usage
      verify=$(realpath "$2") || usage
      shift 2
      ;;
    -*) usage ;;
    *)
      [ -z "$out" ] || usage
      out=$1
      shift
      ;;
  esac
done
if [ "$(id -u)" -ne 0 ]; then
  echo "$0: must run as root: it bootstraps systems and mounts into them" >&2
  exit 2
fi
scripts=$(realpath "$(dirname "$0")")
repo=$(git -C "$scripts" rev-parse --show-toplevel) || exit 2
commit=$(git -C "$repo" rev-parse --verify -q HEAD) || usage
epoch=$(git -C "$repo" log -1 --format=%ct HEAD)
version=$(git -C "$repo" show HEAD:CMakeLists.txt | sed -n 's/^ *VERSION \([0-9.]*\)$/\1/p')
cache=${RELEASE_CACHE:-/var/cache/vostrel-release}
out=${out:-$repo/release/$version}
if [ -n "$verify" ]; then
  out=$(mktemp -d "${TMPDIR:-/var/tmp}/vostrel-rebuild.XXXXXX") || exit 2
elif [ -e "$out" ]; then
  echo "$0: $out exists; name another folder or remove it" >&2
  exit 2
fi
mkdir -p "$out" && out=$(realpath "$out")

name="release $version"
start=$(date +%s)
root=""
log=""
failure=""
sweep=1
# shellcheck source=scripts/lib/debian-system.sh
. "$scripts/lib/debian-system.sh"
say() { echo "$name: $*" >&2; }
work=$(mktemp -d "${TMPDIR:-/var/tmp}/vostrel-release.XXXXXX") || exit 2

# Ends what runs in the current system and removes it, unless a mount
# remains.
drop_system() {
  [ -n "$root" ] || return 0
  stop
  if unmount_all; then
    rm -rf --one-file-system "$root"
  else
    say "mounts remain, so $root is left as it is: $(mounts | tr '\n' ' ')"
    return 1
  fi
  root=""
}
finish() {
  local rc=$?
  trap '' INT TERM HUP
  drop_system || rc=1
  [ "$rc" -eq 0 ] && rm -rf "$work"
  [ -n "$verify" ] && [ -z "$root" ] && rm -rf "$out"
  if [ -n "$failure" ]; then
    echo "$name: FAIL at $failure after $(since "$start")"
  elif [ "$rc" -ne 0 ]; then
    echo "$name: INTERRUPTED after $(since "$start")"
  else
    echo "$name: $verdict ($(since "$start"))"
  fi
  exit "$rc"
}
trap finish EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

log=$work/host.log
missing=""
for p in mmdebstrap osslsigncode; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] ||
    missing="$missing $p"
done
if [ -n "$missing" ]; then
  say "installing on the host:$missing"
  # shellcheck disable=SC2086 # the list is meant to split into words
  { apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing; } \
    >>"$log" 2>&1 || fail "installing$missing on the host"
fi

# The source, as git archives it: every entry dated the commit's time.
source=vostrel-$version.tar.gz
git -C "$repo" -c tar.umask=0022 archive --format=tar --prefix="vostrel-$version/" HEAD |
  gzip -9n >"$out/$source" || fail "archiving $commit"
say "source of ${commit:0:12} (SOURCE_DATE_EPOCH $epoch) in $out/$source"

# Signs a PE file: sign_pe IN OUT, dated the commit's time.
sign_pe() { SOURCE_DATE_EPOCH=$epoch "$scripts/sign.sh" pe "$1" "$2" >>"$log" 2>&1; }
can_sign_pe() { [ -n "${VOSTREL_SIGN_PKCS12:-}" ] || [ -n "${VOSTREL_SIGN_CERT:-}" ]; }

# Runs the release build as the user in the system: build_as_user KIND...
build_as_user() {
  chroot --userspec=user:user "$root" env -i -C "/home/user/vostrel-$version" \
    HOME=/home/user USER=user LOGNAME=user SHELL=/bin/sh PATH=/usr/local/bin:/usr/bin:/bin \
    SOURCE_DATE_EPOCH="$epoch" ${signed_exe:+VOSTREL_SIGNED_EXE=$signed_exe} \
    ./scripts/build-release.sh /home/user/out "$@" </dev/null >>"$log" 2>&1
}

# Builds in a fresh system of one release: build_in RELEASE NUMBER KIND...
build_in() {
  local release=$1 number=$2 t
  shift 2
  t=$(date +%s)
  root=$work/$release
  log=$work/$release.log
  say "bootstrapping Debian $number ($release; log: $log)"
  mmdebstrap --variant=minbase --include=ca-certificates,sudo,lintian "$release" "$root" \
    http://deb.debian.org/debian >>"$log" 2>&1 || fail "bootstrapping $release"
  (set -e; prepare_system) >>"$log" 2>&1 || fail "setting up $release"
  mount_qt_cache "$cache/$release"
  chroot --userspec=user:user "$root" tar -C /home/user -xzf - <"$out/$source" ||
    fail "unpacking the source in $release"
  say "building $* on Debian $number"
  signed_exe=""
  build_as_user "$@" || fail "building $* on $release"
  if [[ " $* " = *" windows "* ]] && { can_sign_pe || [ -n "$verify" ]; }; then
    sign_windows || fail "signing the Windows packages"
  fi
  cp "$root"/home/user/out/* "$out/"
  # The record lists what the system built: the installer as packed there.
  write_buildinfo "$number"
  if [ -z "$verify" ] && [ -n "$signed_exe" ]; then
    local setup=vostrel-$version-windows-x64-signed-setup.exe
    mv "$out/$setup" "$work/setup.exe" && sign_pe "$work/setup.exe" "$out/$setup" ||
      fail "signing the installer"
  fi
  drop_system || fail "removing the $release system"
  say "Debian $number done in $(since "$t")"
}

# Copies the program out of a Windows zip: take_exe ZIP FILE.
take_exe() {
  python3 -c 'import sys, zipfile
z = zipfile.ZipFile(sys.argv[1])
open(sys.argv[2], "wb").write(z.read(next(n for n in z.namelist() if n.endswith("/vostrel.exe"))))' "$1" "$2"
}

# The signed packages hold the program signed; build_in then signs the
# installer. With --verify, the signed program is the one DIR's signed zip
# holds, and the installer is left unsigned, for comparing without its
# signature.
sign_windows() {
  local base=vostrel-$version-windows-x64 inside=/home/user/signed/vostrel.exe
  mkdir -p "$root/home/user/signed"
  if [ -n "$verify" ]; then
    [ -e "$verify/$base-signed.zip" ] || return 0
    take_exe "$verify/$base-signed.zip" "$root$inside" || return 1
  else
    take_exe "$root/home/user/out/$base.zip" "$work/vostrel.exe" &&
      sign_pe "$work/vostrel.exe" "$root$inside" || return 1
  fi
  chroot "$root" chown -R user:user /home/user/signed
  signed_exe=$inside
  say "packing the signed program"
  build_as_user windows
}

# What the system built with, as Debian's .buildinfo records it.
write_buildinfo() {
  local file=$out/vostrel-$version-deb$1.buildinfo
  {
    echo "Format: 1.0"
    echo "Source: vostrel"
    echo "Version: $version"
    echo "Build-Origin: Debian"
    echo "Build-Architecture: $(chroot "$root" dpkg --print-architecture)"
    echo "Build-Release: $(. "$root/etc/os-release" && echo "$PRETTY_NAME")"
    echo "Build-Path: /home/user/vostrel-$version"
    echo "Build-Commit: $commit"
    echo "Checksums-Sha256:"
    (cd "$root/home/user/out" && for f in *; do
      echo " $(sha256sum "$f" | cut -d' ' -f1) $(stat -c %s "$f") $f"
    done)
    echo "Installed-Build-Depends:"
    chroot "$root" dpkg-query -W -f='${db:Status-Status} ${Package}:${Architecture} (= ${Version})\n' |
      sed -n 's/^installed / /p' | sed 's/:all / /' | LC_ALL=C sort | sed '$!s/$/,/'
    echo "Environment:"
    echo " SOURCE_DATE_EPOCH=\"$epoch\""
  } >"$file"
}

# Installs a package as a user would, with apt-get, on a fresh system of its
# release, and opens the window: install_check RELEASE NUMBER.
install_check() {
  local release=$1 number=$2 deb
  deb=$(cd "$out" && echo vostrel_"$version"~deb"$number"_*.deb)
  root=$work/$release-install
  log=$work/$release-install.log
  say "installing $deb on a fresh Debian $number"
  mmdebstrap --variant=minbase --include=sudo "$release" "$root" http://deb.debian.org/debian \
    >>"$log" 2>&1 ||
    fail "bootstrapping $release to install $deb"
  (set -e; prepare_system) >>"$log" 2>&1 || fail "setting up $release to install $deb"
  cp "$out/$deb" "$root/tmp/"
  chroot "$root" sh -c 'apt-get update -q && DEBIAN_FRONTEND=noninteractive \
    apt-get install -y -q "$1" xvfb xauth xdotool' sh "/tmp/$deb" >>"$log" 2>&1 ||
    fail "apt-get install ./$deb on $release"
  # In a network namespace of its own, the X server's abstract socket is out
  # of reach of any other on the host, a second release's among them.
  # shellcheck disable=SC2016 # expanded in the system
  timeout 300 unshare --net -- chroot --userspec=user:user "$root" \
    env -i HOME=/home/user PATH=/usr/bin:/bin \
    xvfb-run -a sh -c 'vostrel & for _ in $(seq 120); do
      xdotool search --onlyvisible --name Vostrel && kill $! && exit 0; sleep 0.5; done
      exit 1' >>"$log" 2>&1 || fail "opening the window of $deb on $release"
  drop_system || fail "removing the $release system"
  say "$deb installs on Debian $number and opens its window"
}

build_in bookworm 12 deb
build_in trixie 13 deb windows web
if [ -z "$verify" ]; then
  install_check bookworm 12
  install_check trixie 13
fi
log=""

(cd "$out" && find . -maxdepth 1 -type f ! -name 'SHA256SUMS*' -printf '%f\n' | LC_ALL=C sort |
  xargs sha256sum >SHA256SUMS) || fail "writing SHA256SUMS"

if [ -n "$verify" ]; then
  log=$work/compare.log
  if python3 "$scripts/compare_release.py" "$out" "$verify"; then
    verdict="every file identical to $verify"
  else
    verdict="DIFFERS from $verify (above)"
    failure="comparing with $verify: some files differ"
    exit 1
  fi
  exit 0
fi

notes=""
if [ -n "${VOSTREL_GPG_KEY:-}" ]; then
  "$scripts/sign.sh" sums "$out/SHA256SUMS" 2>>"$work/host.log" || fail "signing SHA256SUMS"
else
  notes=", SHA256SUMS unsigned (no VOSTREL_GPG_KEY)"
fi
can_sign_pe || notes="$notes, Windows packages unsigned (no VOSTREL_SIGN_CERT or VOSTREL_SIGN_PKCS12)"
cat "$out/SHA256SUMS" >&2
verdict="$(wc -l <"$out/SHA256SUMS") files in $out$notes: $(awk '{ printf "%s%s %s", (NR > 1 ? "; " : ""), $2, $1 }' "$out/SHA256SUMS")"
