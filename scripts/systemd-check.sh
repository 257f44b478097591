#!/usr/bin/env bash
# The service under a real systemd: a fresh bookworm root booted with systemd-nspawn (PID 1 in a
# container, so this machine's own init does not matter), the package installed there, an
# instance started on brevik2-sim as the user brevik2. Checks READY, polls and the status line;
# hangs the monitor thread on a suspended line so that a short watchdog fires and sees the
# restarted instance poll again; upgrades the package and sees the instance restarted on the new
# program; purges it and sees nothing running and no link left. Runs as root, without stdin;
# every wait is bounded, the logs stay in build/systemd-check/ and the container is stopped and
# removed on exit.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BREVIK2_BUILD_DIR:-$root/build}"
[ "$(id -u)" -eq 0 ] || { echo "systemd-check: needs root (debootstrap, systemd-nspawn)" >&2; exit 1; }
command -v systemd-nspawn >/dev/null || { echo "systemd-check: no systemd-nspawn (systemd-container)" >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
source "$root/scripts/package-root.sh"
started=$SECONDS

deb="$("$root/scripts/package.sh" | tail -n 1)"
cmake --build "$build" --target brevik2_line_flow >/dev/null
line_flow="$build/tests/packaging/brevik2_line_flow"
work="$build/systemd-check"
target="$work/root"
unit=brevik2-monitor@sim.service
data=/var/lib/brevik2/sim
nspawn=""
ct=""
passed=false

cleanup() {
  if [ -n "$ct" ] && ! $passed; then
    in_ct journalctl -b --no-pager >"$work/journal.txt" 2>&1 || true
    echo "systemd-check: the container's journal is in $work/journal.txt" >&2
  fi
  if [ -n "$nspawn" ] && kill -0 "$nspawn" 2>/dev/null; then
    kill "$nspawn" 2>/dev/null || true  # an orderly shutdown of the container
    for _ in $(seq 300); do kill -0 "$nspawn" 2>/dev/null || break; sleep 0.1; done  # bounded: 30 s
    kill -KILL "$nspawn" 2>/dev/null || true
    wait "$nspawn" 2>/dev/null || true
  fi
  rm -rf "$target"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
fail() { echo "systemd-check: $*" >&2; exit 1; }
in_ct() {
  nsenter -t "$ct" -a env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin LC_ALL=C.UTF-8 \
    DEBIAN_FRONTEND=noninteractive "$@" </dev/null
}
# wait_for SECONDS WHAT COMMAND...: until the command succeeds, at most that long.
wait_for() {
  local bound=$(($1 * 10)) what="$2"
  shift 2
  for _ in $(seq "$bound"); do "$@" >/dev/null 2>&1 && return 0; sleep 0.1; done
  fail "no $what within $((bound / 10)) s"
}
prop() { in_ct systemctl show -p "$1" --value "$unit"; }
journal_has() { in_ct journalctl -u "$unit" -o cat --no-pager "${@:2}" | grep -q -- "$1"; }
polls_of() { in_ct journalctl _PID="$1" -o cat --no-pager | grep -c '^message: 10$' || true; }
main_pid_is_new() { local p; p="$(prop MainPID)"; [ "$p" != 0 ] && [ "$p" != "$1" ] && [ "$(prop ActiveState)" = active ]; }
status_online() { prop StatusText | grep -q '^Unit online'; }
polled() { [ "$(polls_of "$1")" -ge "$2" ]; }
# Any brevik2-monitor in the container, by its process namespace.
running_monitors() {
  local ns proc
  ns="$(readlink "/proc/$ct/ns/pid")"
  for proc in /proc/[0-9]*; do
    [ "$(readlink "$proc/ns/pid" 2>/dev/null)" = "$ns" ] || continue
    [ "$(cat "$proc/comm" 2>/dev/null)" = brevik2-monitor ] && echo "${proc#/proc/}"
  done
  return 0
}

echo "== fresh bookworm root with systemd"
mkdir -p "$work"
make_bookworm_root "$target" "$build/debian-cache" "$work/debootstrap.log" \
  --include=systemd,systemd-sysv,dbus || fail "no root"
cp "$deb" "$target/root/"  # the booted container mounts its own /tmp
# The upgrade: the same package under a higher version.
version="$(dpkg-deb -f "$deb" Version)"
rm -rf "$work/repack"
dpkg-deb -R "$deb" "$work/repack"
sed -i "s/^Version: .*/Version: $version+1/" "$work/repack/DEBIAN/control"
dpkg-deb -b "$work/repack" "$target/root/brevik2_upgrade.deb" >/dev/null

echo "== boot it with systemd-nspawn"
systemd-nspawn -D "$target" -b --register=no --keep-unit --console=passive --machine=brevik2-check \
  --bind="$build/debian-cache:/var/cache/apt/archives" >"$work/nspawn.log" 2>&1 &
nspawn=$!
container_init() {
  for proc in /proc/[0-9]*; do
    grep -qx "PPid:[[:space:]]*$nspawn" "$proc/status" 2>/dev/null || continue
    grep -q "^NSpid:.*[[:space:]]1$" "$proc/status" && ct="${proc#/proc/}" && return 0
  done
  return 1
}
for _ in $(seq 100); do container_init && break; sleep 0.1; done  # bounded: 10 s
[ -n "$ct" ] || { cat "$work/nspawn.log" >&2; fail "the container did not start"; }
state="$(timeout 120 nsenter -t "$ct" -a systemctl is-system-running --wait </dev/null || true)"
[ "$state" = running ] || [ "$state" = degraded ] || fail "the container's systemd is $state"

echo "== install the package"
in_ct apt-get update -qq >"$work/install.log" 2>&1 || fail "apt-get update failed"
in_ct apt-get install -y -qq --no-install-recommends "/root/$(basename "$deb")" >>"$work/install.log" 2>&1 ||
  { tail -n 30 "$work/install.log" >&2; fail "installing failed"; }

echo "== $unit on brevik2-sim"
in_ct install -d -o brevik2 -g brevik2 -m 0750 "$data"
printf '[Brevik2]\nComPort=Com1\nMonitoringEnabled=true\nRecordDataFile=true\nSamplingInterval=1\n' \
  >"$target$data/Brevik2.ini"
in_ct chown brevik2:brevik2 "$data/Brevik2.ini"
in_ct systemd-run --quiet --unit=brevik2-sim --uid=brevik2 --gid=brevik2 \
  /usr/bin/brevik2-sim --model 402 --unit-id 4242 --link "$data/com1"
wait_for 10 "link from brevik2-sim" test -L "$target$data/com1"
# A short watchdog and a quick restart, for the hang below.
mkdir -p "$target/etc/systemd/system/$unit.d"
printf '[Service]\nWatchdogSec=8s\nRestartSec=1s\n' >"$target/etc/systemd/system/$unit.d/check.conf"
in_ct systemctl daemon-reload
in_ct systemctl enable --quiet --now "$unit" || fail "$unit did not start"
wait_for 30 "READY (Started) in the journal" journal_has "Started .*Brevik2 monitor"
[ "$(prop User)" = brevik2 ] || fail "$unit does not run as brevik2"
first="$(prop MainPID)"
wait_for 30 "two polls in the journal" polled "$first" 2
wait_for 10 "online status line (STATUS=)" status_online
[ -e "$target$data/Unit4242_Data.txt" ] || fail "no data file"
score="$(in_ct systemd-analyze security --no-pager "$unit" | tail -n 1)" || true
echo "   ${score#→ }"
in_ct systemd-analyze security --no-pager --threshold=20 "$unit" >/dev/null || fail "exposure above 2.0"

echo "== the monitor thread hangs on a suspended line: the watchdog restarts it"
pts="$(readlink "$target$data/com1")"
restarts="$(prop NRestarts)"
"$line_flow" "/proc/$ct/root$pts" off
wait_for 60 "watchdog time-out in the journal" journal_has "Watchdog timeout"
"$line_flow" "/proc/$ct/root$pts" on
wait_for 30 "restarted instance" main_pid_is_new "$first"
[ "$(prop NRestarts)" -gt "$restarts" ] || fail "the restart was not counted"
second="$(prop MainPID)"
wait_for 30 "poll after the restart" polled "$second" 1

echo "== upgrade: the instance restarts on the new program"
before="$(prop ExecMainStartTimestampMonotonic)"
in_ct dpkg -i /root/brevik2_upgrade.deb >"$work/upgrade.log" 2>&1 || { cat "$work/upgrade.log" >&2; fail "upgrade failed"; }
wait_for 30 "instance restarted by the upgrade" main_pid_is_new "$second"
[ "$(prop ExecMainStartTimestampMonotonic)" -gt "$before" ] || fail "the start time did not change"
third="$(prop MainPID)"
exe="$(in_ct readlink "/proc/$third/exe")"
[ "$exe" = /usr/bin/brevik2-monitor ] || fail "the instance runs $exe"
wait_for 30 "poll after the upgrade" polled "$third" 1

echo "== purge: nothing running, no link left"
in_ct systemctl stop brevik2-sim
rm -r "$target/etc/systemd/system/$unit.d"
in_ct dpkg --purge brevik2 >"$work/purge.log" 2>&1 || { cat "$work/purge.log" >&2; fail "purge failed"; }
[ -z "$(running_monitors)" ] || fail "a brevik2-monitor still runs: $(running_monitors)"
[ "$(prop ActiveState)" = inactive ] || fail "$unit is $(prop ActiveState)"
left="$(cd "$target/etc/systemd" && find . -name '*brevik2*' -o -xtype l)"
[ -z "$left" ] || fail "left behind in /etc/systemd: $left"
[ -f "$target$data/Unit4242_Data.txt" ] || fail "the purge took the data"
passed=true
echo "systemd-check: passed in $((SECONDS - started)) s"
