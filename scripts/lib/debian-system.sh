# Functions for scripts that run steps inside a Debian system of their own
# under $root (scripts/check-debian.sh, scripts/check-wine.sh,
# scripts/release.sh, scripts/fresh-system.sh): ending what
# runs there and undoing the mounts, so that nothing is deleted while a
# mount remains. $sweep=1 makes stop also end everything running in $root.

since() { # start time: the minutes and seconds since
  local s=$(($(date +%s) - $1))
  printf '%dm%02ds' $((s / 60)) $((s % 60))
}
# Ends the run, saying what failed and showing the end of the step's $log;
# the caller's exit trap cleans up and prints the verdict.
fail() {
  failure="$1${log:+ (log: $log)}"
  [ -s "$log" ] && tail -n 30 "$log" >&2
  exit 1
}
alive() { # pid: running and not a zombie
  local state
  state=$(sed -n 's/^.*) \(.\).*/\1/p' "/proc/$1/stat" 2>/dev/null)
  [ -n "$state" ] && [ "$state" != Z ]
}
# Processes running inside the system.
in_root() {
  local p r
  for p in /proc/[0-9]*; do
    r=$(readlink "$p/root" 2>/dev/null) || continue
    case $r in "$root" | "$root"/*) echo "${p#/proc/}" ;; esac
  done
}
# Ends the process groups given (and, with sweep=1, everything running in the
# system): TERM, then KILL what is left after 10 s.
stop() {
  local i p live
  for i in 1 2 3 4 5 6 7 8 9 10 11; do
    live=""
    for p in "$@" $([ "$sweep" = 1 ] && in_root); do
      alive "$p" && live="$live $p"
    done
    [ -z "$live" ] && return 0
    for p in $live; do
      if [ "$i" -le 10 ]; then kill -TERM -- "-$p" "$p"; else kill -KILL -- "-$p" "$p"; fi
    done 2>/dev/null
    sleep 1
  done
}
mounts() { awk -v r="$root/" 'index($2, r) == 1 { print $2 }' /proc/self/mounts; }
# Unmounts everything under the system, the last mounted first; lazily only
# when plain unmounting fails three times.
unmount_all() {
  local m i
  for i in 1 2 3 4; do
    [ -z "$(mounts)" ] && return 0
    for m in $(mounts | tac); do
      if [ "$i" -le 3 ]; then umount "$m"; else umount -l "$m"; fi
    done 2>/dev/null
    sleep 1
  done
  [ -z "$(mounts)" ]
}

# Mounts under $root what a running system has mounted.
mount_system() {
  mount -t proc proc "$root/proc"
  mount -t sysfs sysfs "$root/sys"
  # As a slave, so that no unmount here ever reaches the host's /dev.
  mount --rbind /dev "$root/dev"
  mount --make-rslave "$root/dev"
  mount -t tmpfs -o nosuid,nodev,mode=1777 tmpfs "$root/dev/shm"
  mount -t tmpfs -o nosuid,nodev,mode=0755 tmpfs "$root/run"
}

# Makes the bootstrapped system under $root one a user logs into: the host's
# name resolution, a user "user" (uid 1000) with passwordless sudo, and what
# a running system has mounted.
prepare_system() {
  rm -f "$root/etc/resolv.conf"
  cp /etc/resolv.conf "$root/etc/resolv.conf"
  # The host's own trust anchors, where its network asks for them (one that
  # inspects TLS, on the way to npm's registry): Debian's ca-certificates
  # takes them in when it is installed, or here if it already is.
  if ls /usr/local/share/ca-certificates/*.crt >/dev/null 2>&1; then
    mkdir -p "$root/usr/local/share/ca-certificates"
    cp /usr/local/share/ca-certificates/*.crt "$root/usr/local/share/ca-certificates/"
    if [ -x "$root/usr/sbin/update-ca-certificates" ]; then
      chroot "$root" update-ca-certificates >/dev/null
    fi
  fi
  # As the installer leaves it; sudo looks the host's name up.
  printf '127.0.0.1\tlocalhost\n127.0.1.1\t%s\n' "$(uname -n)" >"$root/etc/hosts"
  chroot "$root" useradd --create-home --uid 1000 --user-group --shell /bin/bash user
  echo 'user ALL=(ALL:ALL) NOPASSWD: ALL' >"$root/etc/sudoers.d/user"
  chmod 0440 "$root/etc/sudoers.d/user"
  mount_system
  mkdir -m 1777 "$root/run/lock"
}

# Mounts the host's folder $1 where scripts/build-windows.sh keeps Qt for
# Windows for the user "user" (~/.cache/vostrel), so that every system of one
# release reuses the Qt that one of them built (build-windows.sh lets one
# build at a time).
mount_qt_cache() {
  mkdir -p "$1" "$root/home/user/.cache/vostrel"
  chown 1000:1000 "$1"
  chroot "$root" chown -R user:user /home/user/.cache
  mount --bind "$1" "$root/home/user/.cache/vostrel"
}
