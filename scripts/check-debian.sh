#!/bin/bash
# Proves the README's two commands on a fresh Debian system. Bootstraps a
# minimal RELEASE in a scratch directory, adds a user "user" with passwordless
# sudo and no locale, clones the committed HEAD of this repository (never the
# uncommitted changes) into /home/user/vostrel, and there, as that user, runs
#   ./scripts/run.sh   until a window "Vostrel" shows on a private Xvfb of the
#                      host, then ends the program;
#   ./scripts/test.sh  to its end.
# With --windows, it runs ./scripts/build-windows.sh between the two, so that
# the test command also runs the Windows build's tests under Wine; with
# --web, ./scripts/build-web.sh, so that it also runs the web edition's tests
# in real browsers.
# Progress goes to standard error, the commands' output to log files, and the
# last line printed is the verdict. Exit status: 0 pass, 1 fail, 2 usage,
# 128+N when ended by signal N. Whatever happens, it ends every process it
# started and undoes its mounts; it deletes nothing while a mount remains.
#
# Usage, as root:  scripts/check-debian.sh [--keep] [--windows] [--web] RELEASE
#   RELEASE  bookworm, trixie or forky (or 12, 13, testing)
#   --keep     keep the system and the logs (also KEEP=1)
#   --windows  also build for Windows (as a new user, Qt from scratch)
#   --web      also build the web edition
# Environment: REPO, the repository to clone (default: this one); TMPDIR,
# where the scratch directory goes (default /var/tmp); RUN_TIMEOUT and
# TEST_TIMEOUT, WINDOWS_TIMEOUT and WEB_TIMEOUT in seconds (default 1200,
# 3600, 7200 and 1800).
# Needs Debian's archive; installs on the host whichever of mmdebstrap, xvfb,
# xdotool, xauth and git is missing.
set -u
umask 022

usage() {
  echo "usage: $0 [--keep] [--windows] [--web] bookworm|trixie|forky|12|13|testing" >&2
  exit 2
}
case ${KEEP:-0} in "" | 0) keep=0 ;; *) keep=1 ;; esac
release=""
windows=0
web=0
for arg; do
  case $arg in
    --keep) keep=1 ;;
    --windows) windows=1 ;;
    --web) web=1 ;;
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
if ! repo=$(git -C "${REPO:-$(dirname "$0")}" rev-parse --show-toplevel) ||
  ! commit=$(git -C "$repo" rev-parse --verify -q HEAD); then
  echo "$0: no committed HEAD to clone" >&2
  exit 2
fi
branch=$(git -C "$repo" symbolic-ref -q HEAD)
run_timeout=${RUN_TIMEOUT:-1200}
test_timeout=${TEST_TIMEOUT:-3600}
windows_timeout=${WINDOWS_TIMEOUT:-7200}
web_timeout=${WEB_TIMEOUT:-1800}

name="check-debian $release"
start=$(date +%s)
work=$(mktemp -d "${TMPDIR:-/var/tmp}/check-debian.XXXXXX") || exit 2
work=$(realpath "$work")
case $work in *[[:space:]]*) echo "$0: $work: no blanks, please" >&2; exit 2 ;; esac
root=$work/root # the system
log=""          # the current step's log
phase=start     # the current step, for the verdict
failure=""      # what failed, for the verdict
job=""          # the step running in the background: its pid and group
xvfb=""
sweep=0         # whether stop also ends everything running in the system
summary=""

# shellcheck source=scripts/lib/debian-system.sh
. "$(dirname "$0")/lib/debian-system.sh"
say() { echo "$name: $*" >&2; }
# Starts "$@" in a session of its own, output to $log; $job is its pid and
# its process group.
spawn() {
  setsid "$@" </dev/null >>"$log" 2>&1 &
  job=$!
}
# Starts "$@" as the user in directory $1, in a fresh environment that sets no
# locale, as a login from a console would leave it.
spawn_as_user() {
  local dir=$1
  shift
  spawn chroot --userspec=user:user "$root" env -i -C "$dir" \
    HOME=/home/user USER=user LOGNAME=user SHELL=/bin/sh \
    PATH=/usr/local/bin:/usr/bin:/bin "$@"
}

finish() {
  local rc=$? left
  trap '' INT TERM HUP
  sweep=1
  # shellcheck disable=SC2046 # one word a pid
  stop $(jobs -p)
  wait 2>/dev/null
  if ! unmount_all; then
    left=$(mounts | tr '\n' ' ')
    say "mounts remain, so $work is left as it is: $left"
  elif [ "$keep" = 1 ]; then
    say "kept the system and logs in $work"
  else
    rm -rf --one-file-system "$root"
    if [ "$rc" -eq 0 ]; then rm -rf --one-file-system "$work"; else say "logs kept in $work"; fi
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

# The host's tools.
log=$work/host.log
missing=""
for p in mmdebstrap xvfb xdotool xauth git; do
  [ "$(dpkg-query -W -f='${db:Status-Status}' "$p" 2>/dev/null)" = installed ] ||
    missing="$missing $p"
done
if [ -n "$missing" ]; then
  phase="installing on the host"
  say "installing on the host:$missing"
  spawn apt-get update -q
  wait "$job" || fail "apt-get update on the host"
  # shellcheck disable=SC2086 # the list is meant to split into words
  spawn env DEBIAN_FRONTEND=noninteractive apt-get install -y -q $missing
  wait "$job" || fail "installing$missing on the host"
fi

# A fresh minimal system. Debian's testing may be served past its
# Valid-Until; mmdebstrap keeps the option in the system's apt configuration,
# so the user's own apt-get update there accepts it too.
phase=bootstrap
log=$work/bootstrap.log
t=$(date +%s)
say "bootstrapping $release in $root (log: $log)"
aptopt=()
[ "$release" = forky ] && aptopt=(--aptopt='Acquire::Check-Valid-Until "false"')
spawn mmdebstrap --variant=minbase --include=ca-certificates,git,sudo "${aptopt[@]}" \
  "$release" "$root" http://deb.debian.org/debian
wait "$job" || fail "bootstrap"
bootstrap_time=$(since "$t")

# The user, what a running system has mounted, and the clone.
phase="setting up the system"
log=$work/setup.log
t=$(date +%s)
(
  set -ex
  prepare_system
  git -C "$repo" bundle create "$root/tmp/vostrel.bundle" HEAD ${branch:+"$branch"}
) >>"$log" 2>&1 || fail "setting up the system"
spawn_as_user /home/user git clone "/tmp/vostrel.bundle" vostrel
wait "$job" || fail "cloning $commit"
rm -f "$root/tmp/vostrel.bundle"

# A private X server on the host; the system shares the host's network, so
# the user's programs reach its abstract socket, with the cookie in
# ~/.Xauthority as a desktop session leaves it.
log=$work/xvfb.log
cookie=$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')
: >"$work/xauth"
xauth -q -f "$work/xauth" add :0 . "$cookie"
Xvfb -displayfd 3 -auth "$work/xauth" -nolisten tcp -noreset -screen 0 1280x1024x24 \
  3>"$work/display" </dev/null >"$log" 2>&1 &
xvfb=$!
for _ in $(seq 100); do
  [ -s "$work/display" ] && break
  alive "$xvfb" || break
  sleep 0.1
done
display=:$(cat "$work/display" 2>/dev/null)
[ "$display" != : ] || fail "starting Xvfb"
xauth -q -f "$work/xauth" add "$display" . "$cookie"
install -m 0600 "$work/xauth" "$root/home/user/.Xauthority"
chroot "$root" chown user:user /home/user/.Xauthority
setup_time=$(since "$t")

# The run command: passed when its window shows.
phase="run command"
log=$work/run.log
t=$(date +%s)
say "system ready (bootstrap $bootstrap_time, setup $setup_time; clone of ${commit:0:12})"
say "running ./scripts/run.sh on $display (log: $log)"
spawn_as_user /home/user/vostrel DISPLAY="$display" ./scripts/run.sh
while ! DISPLAY=$display XAUTHORITY=$work/xauth \
  xdotool search --onlyvisible --name Vostrel >/dev/null 2>&1; do
  if ! alive "$job"; then
    wait "$job"
    fail "run command: it ended, status $?, before its window showed"
  fi
  [ $(($(date +%s) - t)) -lt "$run_timeout" ] ||
    fail "run command: no window within ${run_timeout}s"
  sleep 2
done
run_time=$(since "$t")
stop "$job"
wait "$job" 2>/dev/null
# The tests start X servers of their own inside. The system's /tmp is not the
# host's, so one of them could take the display number ours holds and have
# its clients reach ours through the shared abstract socket.
stop "$xvfb"
wait "$xvfb" 2>/dev/null
xvfb=""

# Waits for the step in the background, started at $t, to end well within
# $1 seconds; fails the run, naming the step $2, otherwise.
await_step() {
  while alive "$job"; do
    [ $(($(date +%s) - t)) -lt "$1" ] || fail "$2: not done within ${1}s"
    sleep 5
  done
  wait "$job" || fail "$2: status $?"
}

# A build the check was asked for, as a new user makes it, between the two
# commands: optional_build NAME SCRIPT TIMEOUT WHAT-IT-MADE; adds its time
# to $built.
built=""
optional_build() {
  phase="$1 build"
  log=$work/$2.log
  t=$(date +%s)
  say "running ./scripts/$2.sh (log: $log)"
  spawn_as_user /home/user/vostrel "./scripts/$2.sh"
  await_step "$3" "$1 build"
  built="$built $1 build $4 after $(since "$t");"
}
[ "$windows" -eq 0 ] || optional_build Windows build-windows "$windows_timeout" "made its packages"
[ "$web" -eq 0 ] || optional_build web build-web "$web_timeout" "wrote its site"

# The test command.
phase="test command"
log=$work/test.log
t=$(date +%s)
say "window shown after $run_time; running ./scripts/test.sh (log: $log)"
spawn_as_user /home/user/vostrel ./scripts/test.sh
await_step "$test_timeout" "test command"
summary="bootstrap $bootstrap_time; run command showed the window after $run_time;$built"
summary="$summary test command passed after $(since "$t")"
