#!/bin/bash
# Runs the Windows build's UI Automation check (tests/windows/wine_uia.py)
# under the Wine of another Debian release, since Debian 12's Wine 8 cannot
# walk into a program's UI Automation elements: bootstraps a minimal RELEASE
# with Wine, Xvfb, xdotool, the font, the locales and Python in a scratch
# directory, copies in the package zip and uia_tree.exe of the Windows build
# (as scripts/build-windows.sh made them) with the check's helpers
# (tests/windows, tests/session), and runs the check there as root, without
# a network, on an Xvfb of its own.
# Progress goes to standard error, the check's output to a log file, and the
# last line printed is the verdict. Exit status: 0 pass, 1 fail, 2 usage,
# 77 skipped (the release's Wine is older than 9), 128+N when ended by
# signal N. Whatever happens, it ends every process it started and undoes
# its mounts; it deletes nothing while a mount remains.
#
# Usage, as root:  scripts/check-wine.sh [--keep] RELEASE
#   RELEASE  bookworm, trixie or forky (or 12, 13, testing)
#   --keep   keep the system and the log (also KEEP=1)
# Environment: BUILD, the Windows build (default: build/windows here);
# TMPDIR, where the scratch directory goes (default /var/tmp);
# BOOTSTRAP_TIMEOUT and CHECK_TIMEOUT in seconds (default 1800 and 600).
# Needs Debian's archive; installs mmdebstrap on the host if it is missing.
set -u
umask 022

usage() {
  echo "usage: $0 [--keep] bookworm|trixie|forky|12|13|testing" >&2
  exit 2
}
case ${KEEP:-0} in "" | 0) keep=0 ;; *) keep=1 ;; esac
release=""
for arg; do
  case $arg in
    --keep) keep=1 ;;
    12 | bookworm) release=bookworm ;;
    13 | trixie) release=trixie ;;
    testing | forky) release=forky ;;
    *) usage ;;
  esac
done
[ -n "$release" ] || usage
if [ "$(id -u)" -ne 0 ]; then
  echo "$0: must run as root: it bootstraps a system and mounts into it" >&2
  exit 2
fi
source_dir=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath -m "${BUILD:-$source_dir/build/windows}")
zips=("$build"/vostrel-*-windows-x64.zip)
zip=${zips[0]}
client=$build/uia_tree.exe
if [ ! -f "$zip" ] || [ ! -f "$client" ]; then
  echo "$0: no package zip and uia_tree.exe in $build: scripts/build-windows.sh makes them" >&2
  exit 2
fi
bootstrap_timeout=${BOOTSTRAP_TIMEOUT:-1800}
check_timeout=${CHECK_TIMEOUT:-600}

name="check-wine $release"
start=$(date +%s)
work=$(mktemp -d "${TMPDIR:-/var/tmp}/check-wine.XXXXXX") || exit 2
work=$(realpath "$work")
case $work in *[[:space:]]*) echo "$0: $work: no blanks, please" >&2; exit 2 ;; esac
root=$work/root # the system
log=""          # the current step's log
phase=start     # the current step, for the verdict
failure=""      # what failed, for the verdict
job=""          # the step running in the background: its pid and group
skipped=""      # why the check was skipped
summary=""
sweep=1         # stop also ends everything running in the system

# shellcheck source=scripts/lib/debian-system.sh
. "$(dirname "$0")/lib/debian-system.sh"
say() { echo "$name: $*" >&2; }
# Starts "$@" in a session of its own, output to $log; $job is its pid and
# its process group.
spawn() {
  setsid "$@" </dev/null >>"$log" 2>&1 &
  job=$!
}
# Waits for $job, started at $t, to end within $1 seconds; fails the run,
# naming the step $2, when it does not. Returns the job's status.
await() {
  while alive "$job"; do
    [ $(($(date +%s) - t)) -lt "$1" ] || fail "$2: not done within ${1}s"
    sleep 2
  done
  wait "$job"
}

finish() {
  local rc=$? left
  trap '' INT TERM HUP
  # shellcheck disable=SC2046 # one word a pid
  stop $(jobs -p)
  wait 2>/dev/null
  if ! unmount_all; then
    left=$(mounts | tr '\n' ' ')
    say "mounts remain, so $work is left as it is: $left"
  elif [ "$keep" = 1 ]; then
    say "kept the system and the log in $work"
  else
    rm -rf --one-file-system "$root"
    if [ "$rc" -eq 0 ] || [ "$rc" -eq 77 ]; then
      rm -rf --one-file-system "$work"
    else
      say "log kept in $work"
    fi
  fi
  if [ "$rc" -eq 0 ]; then
    echo "$name: PASS ($summary) in $(since "$start")"
  elif [ "$rc" -eq 77 ]; then
    echo "$name: SKIP ($skipped) after $(since "$start")"
  elif [ -n "$failure" ]; then
    echo "$name: FAIL at $failure after $(since "$start")"
  else
    echo "$name: INTERRUPTED during $phase after $(since "$start")"
  fi
  exit "$rc"
}
trap finish EXIT
trap 'exit 129' HUP
trap 'exit 130' INT
trap 'exit 143' TERM

if [ "$(dpkg-query -W -f='${db:Status-Status}' mmdebstrap 2>/dev/null)" != installed ]; then
  phase="installing mmdebstrap on the host"
  log=$work/host.log
  t=$(date +%s)
  spawn sh -c 'apt-get update -q && DEBIAN_FRONTEND=noninteractive apt-get install -y -q mmdebstrap'
  await 1800 "$phase" || fail "$phase"
fi

# A minimal system with what the check runs. Debian 12 and 13 still split
# Wine into the wine launcher and the 64-bit loader wine64; mmdebstrap takes
# no Recommends, so wine32 (and i386) stays out.
phase=bootstrap
log=$work/bootstrap.log
t=$(date +%s)
say "bootstrapping $release with Wine in $root (log: $log)"
aptopt=()
[ "$release" = forky ] && aptopt=(--aptopt='Acquire::Check-Valid-Until "false"')
spawn mmdebstrap --variant=minbase "${aptopt[@]}" \
  --include=wine,wine64,xvfb,xauth,xdotool,fonts-liberation2,locales-all,python3 \
  "$release" "$root" http://deb.debian.org/debian
await "$bootstrap_timeout" "bootstrap" || fail "bootstrap"
bootstrap_time=$(since "$t")

# What a running system has mounted, and the check's files.
phase="setting up the system"
log=$work/setup.log
(
  set -ex
  mount_system
  mkdir -p "$root/opt/check/tests/windows" "$root/opt/check/tests/session"
  cp "$source_dir"/tests/windows/*.py "$root/opt/check/tests/windows/"
  cp "$source_dir"/tests/session/*.py "$root/opt/check/tests/session/"
  cp "$zip" "$client" "$root/opt/check/"
) >>"$log" 2>&1 || fail "setting up the system"
wine_version=$(chroot "$root" wine --version 2>/dev/null)

# The check, in a network namespace of its own: its X server's abstract
# socket is then out of reach of the host's clients, and the host's of its.
phase="UI Automation check"
log=$work/check.log
t=$(date +%s)
say "running wine_uia.py under ${wine_version:-an unknown Wine} (log: $log)"
spawn unshare --net -- chroot "$root" env -i HOME=/root PATH=/usr/local/bin:/usr/bin:/bin \
  python3 /opt/check/tests/windows/wine_uia.py "/opt/check/$(basename "$zip")" \
  /opt/check/uia_tree.exe
await "$check_timeout" "$phase"
status=$?
case $status in
  0) summary="$wine_version; bootstrap $bootstrap_time; $(tail -n 1 "$log")" ;;
  77)
    skipped=$(tail -n 1 "$log")
    exit 77
    ;;
  *) fail "$phase: status $status" ;;
esac
