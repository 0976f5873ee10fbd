#!/bin/bash
# A fresh minimal Debian system for a program that runs its own steps in it
# (tests/release/release_check.py builds its Windows packages in one), made
# as scripts/release.sh makes the systems it builds the release in: a user
# "user" (uid 1000) with passwordless sudo, what a running system has
# mounted, and Qt for Windows' cache of that release mounted where
# release.sh and scripts/check-wine.sh mount it, so that all of them build
# Qt once.
#
# Usage, as root:
#   scripts/fresh-system.sh up RELEASE DIR [PACKAGE...]
#       bootstraps RELEASE (bookworm, trixie or forky) in DIR/root, with
#       PACKAGE... besides; DIR must be empty or missing
#   scripts/fresh-system.sh down DIR
#       ends everything running in DIR/root, undoes its mounts and deletes
#       it (the log stays in DIR); deletes nothing while a mount remains
# Environment: RELEASE_CACHE, the caches' folder (default
# /var/cache/vostrel-release). Progress and failures go to standard error,
# the bootstrap's output to DIR/system.log. Exit status: 0 done, 1 failed,
# 2 usage.
set -u
umask 022

usage() {
  echo "usage: $0 up bookworm|trixie|forky DIR [PACKAGE...] | down DIR" >&2
  exit 2
}
[ $# -ge 2 ] || usage
if [ "$(id -u)" -ne 0 ]; then
  echo "$0: must run as root: it bootstraps a system and mounts into it" >&2
  exit 2
fi
action=$1
case $action in
  up)
    [ $# -ge 3 ] || usage
    release=$2
    case $release in bookworm | trixie | forky) ;; *) usage ;; esac
    work=$3
    shift 3
    ;;
  down)
    [ $# -eq 2 ] || usage
    work=$2
    ;;
  *) usage ;;
esac
mkdir -p "$work" && work=$(realpath "$work") || exit 2
root=$work/root
log=$work/system.log
failure=""
sweep=1
# shellcheck source=scripts/lib/debian-system.sh
. "$(dirname "$0")/lib/debian-system.sh"
say() { echo "fresh-system: $*" >&2; }

# Ends what runs in the system and removes it, unless a mount remains.
remove() {
  stop
  if ! unmount_all; then
    say "mounts remain, so $root is left as it is: $(mounts | tr '\n' ' ')"
    return 1
  fi
  rm -rf --one-file-system "$root"
}

if [ "$action" = down ]; then
  [ -d "$root" ] || exit 0
  remove
  exit
fi

[ ! -e "$root" ] || {
  echo "$0: $root exists" >&2
  exit 2
}
# A system half made is not left behind.
trap '[ -z "$failure" ] || remove' EXIT
aptopt=()
[ "$release" = forky ] && aptopt=(--aptopt='Acquire::Check-Valid-Until "false"')
extra=$(
  IFS=,
  echo "$*"
)
say "bootstrapping $release in $root (log: $log)"
mmdebstrap --variant=minbase --include="ca-certificates,sudo${extra:+,$extra}" "${aptopt[@]}" "$release" "$root" \
  http://deb.debian.org/debian >>"$log" 2>&1 || fail "bootstrapping $release"
(
  set -ex
  prepare_system
  mount_qt_cache "${RELEASE_CACHE:-/var/cache/vostrel-release}/$release"
) >>"$log" 2>&1 || fail "setting up the system"
