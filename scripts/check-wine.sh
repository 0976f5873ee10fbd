#!/bin/bash
# Builds the Windows packages in a fresh minimal Debian RELEASE, with that
# release's Qt, as scripts/release.sh builds the ones it publishes (Debian 13
# and its Qt 6.8 make the release's), and runs every test of that build
# there under the release's Wine: the cross-built tests, the package's files,
# the real program from the zip (by mouse and by keys alone, with Wine
# reporting Windows 10 and 11, in light and dark app mode), the installer
# and UI Automation. The system is bootstrapped in a scratch directory with
# a user "user"; the source is this working tree's tracked files; the build
# runs as that user (scripts/build-windows.sh, which installs what it needs
# with sudo), the tests in a network namespace of their own, each on an Xvfb
# of its own. Qt for Windows is kept between runs where release.sh keeps it,
# $RELEASE_CACHE/RELEASE (default /var/cache/vostrel-release/RELEASE), so
# each reuses what the other built.
# Progress goes to standard error, the build's and the tests' output to log
# files, and the last line printed is the verdict. Exit status: 0 pass, 1
# fail, 2 usage, 128+N when ended by signal N. Whatever happens, it ends
# every process it started and undoes its mounts; it deletes nothing while a
# mount remains.
#
# Usage, as root:  scripts/check-wine.sh [--keep] RELEASE
#   RELEASE  bookworm, trixie or forky (or 12, 13, testing)
#   --keep   keep the system and the logs (also KEEP=1)
# Environment: RELEASE_CACHE (above); TMPDIR, where the scratch directory
# goes (default /var/tmp); BOOTSTRAP_TIMEOUT, BUILD_TIMEOUT and
# CHECK_TIMEOUT in seconds (default 1800, 9000 and 2400; a build that has to
# build Qt first takes about an hour on two cores).
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
bootstrap_timeout=${BOOTSTRAP_TIMEOUT:-1800}
build_timeout=${BUILD_TIMEOUT:-9000}
check_timeout=${CHECK_TIMEOUT:-2400}
cache=${RELEASE_CACHE:-/var/cache/vostrel-release}/$release

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
    if [ "$rc" -eq 0 ]; then
      rm -rf --one-file-system "$work"
    else
      say "log kept in $work"
    fi
  fi
  if [ "$rc" -eq 0 ]; then
    echo "$name: PASS ($summary) in $(since "$start")"
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

# A minimal system a user builds in, as release.sh bootstraps it; the build
# installs the rest.
phase=bootstrap
log=$work/bootstrap.log
t=$(date +%s)
say "bootstrapping $release in $root (log: $log)"
aptopt=()
[ "$release" = forky ] && aptopt=(--aptopt='Acquire::Check-Valid-Until "false"')
spawn mmdebstrap --variant=minbase "${aptopt[@]}" --include=ca-certificates,sudo \
  "$release" "$root" http://deb.debian.org/debian
await "$bootstrap_timeout" "bootstrap" || fail "bootstrap"
bootstrap_time=$(since "$t")

# The user, what a running system has mounted, Qt's cache where release.sh
# mounts it, and the source.
phase="setting up the system"
log=$work/setup.log
(
  set -ex
  prepare_system
  mount_qt_cache "$cache"
  # Tracked files as they are now; one deleted but not yet committed is left out.
  git -C "$source_dir" ls-files -z | tar -C "$source_dir" --null --ignore-failed-read -T - -cf - |
    chroot --userspec=user:user "$root" sh -c 'mkdir /home/user/vostrel && tar -C /home/user/vostrel -xf -'
) >>"$log" 2>&1 || fail "setting up the system"

# Runs "$@" as the user in the source folder, in the background.
as_user() {
  spawn chroot --userspec=user:user "$root" env -i -C /home/user/vostrel HOME=/home/user \
    USER=user LOGNAME=user SHELL=/bin/sh PATH=/usr/local/bin:/usr/bin:/bin "$@"
}

phase="Windows build"
log=$work/build.log
t=$(date +%s)
say "building the Windows packages against $release's Qt (log: $log)"
as_user ./scripts/build-windows.sh
await "$build_timeout" "$phase" || fail "$phase"
build_time=$(since "$t")
wine_version=$(chroot "$root" wine --version 2>/dev/null)

# In a network namespace of their own, the tests' X servers' abstract
# sockets are out of reach of the host's clients, and the host's of theirs.
phase="Windows tests"
log=$work/tests.log
t=$(date +%s)
say "running the Windows build's tests under ${wine_version:-an unknown Wine} (log: $log)"
spawn unshare --net -- chroot --userspec=user:user "$root" env -i -C /home/user/vostrel \
  HOME=/home/user USER=user LOGNAME=user PATH=/usr/local/bin:/usr/bin:/bin \
  ctest --test-dir build/windows --output-on-failure --no-tests=error -j2
await "$check_timeout" "$phase" || fail "$phase"
summary="$wine_version; bootstrap $bootstrap_time, build $build_time, tests $(since "$t");"
summary="$summary $(grep -m1 'tests passed' "$log")"
skips=$(sed -n 's/^.*Test *#[0-9]*: \([^ ]*\) .*Skipped.*$/\1/p' "$log" | tr '\n' ' ')
[ -z "$skips" ] || summary="$summary; skipped: ${skips% }"
