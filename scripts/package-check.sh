#!/usr/bin/env bash
# The package on a fresh machine: builds and lints the Debian package, makes a fresh bookworm
# root (debootstrap --variant=minbase from the package source this machine uses, as
# scripts/package-root.sh does it), installs the package there with apt-get so that every
# dependency comes as it would for a user, runs brevik2-sim and brevik2-monitor --polls 2 as the
# service's user, checks the data file, purges the package and checks that nothing of it is left
# but the data. Runs as root, without stdin; everything stays in the build folder and every mount
# is undone, also on failure.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BREVIK2_BUILD_DIR:-$root/build}"
[ "$(id -u)" -eq 0 ] || { echo "package-check: needs root (debootstrap, chroot, mounts)" >&2; exit 1; }
export DEBIAN_FRONTEND=noninteractive LC_ALL=C.UTF-8
source "$root/scripts/package-root.sh"
started=$SECONDS

deb="$("$root/scripts/package.sh" | tail -n 1)"
work="$build/package-check"
target="$work/root"
mounts=()

cleanup() {
  # Processes left in the root (the simulator after a failure) would keep its mounts busy.
  for proc in /proc/[0-9]*; do
    if [ "$(readlink "$proc/root" 2>/dev/null)" = "$target" ]; then
      kill "${proc#/proc/}" 2>/dev/null || true
    fi
  done
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount "${mounts[i]}" 2>/dev/null || umount -l "${mounts[i]}" || true
  done
  rm -rf "$target"
}
trap cleanup EXIT
trap 'exit 1' INT TERM
in_root() { chroot "$target" "$@" </dev/null; }
fail() { echo "package-check: $*" >&2; exit 1; }

echo "== fresh bookworm root"
mkdir -p "$work"
make_bookworm_root "$target" "$build/debian-cache" "$work/debootstrap.log" || fail "no root"
mount -t proc proc "$target/proc" && mounts+=("$target/proc")
mount -t devpts -o newinstance,ptmxmode=0666,mode=0620 devpts "$target/dev/pts" && mounts+=("$target/dev/pts")
mount --bind "$target/dev/pts/ptmx" "$target/dev/ptmx" && mounts+=("$target/dev/ptmx")
mount --bind "$build/debian-cache" "$target/var/cache/apt/archives" && mounts+=("$target/var/cache/apt/archives")

echo "== apt-get install ./$(basename "$deb")"
cp "$deb" "$target/tmp/"
in_root apt-get update -qq
in_root sh -c "cd /tmp && apt-get install -y -qq --no-install-recommends ./$(basename "$deb")" >"$work/install.log" 2>&1 ||
  { tail -n 30 "$work/install.log" >&2; fail "installing failed"; }
in_root dpkg -L brevik2 >"$work/files"
for f in /usr/bin/Brevik2 /usr/bin/brevik2-monitor /usr/bin/brevik2-sim \
  /usr/share/man/man1/brevik2-monitor.1.gz /usr/share/man/man5/brevik2.ini.5.gz \
  /usr/share/applications/brevik2.desktop "/usr/lib/systemd/system/brevik2-monitor@.service" \
  /usr/share/brevik2/prometheus/brevik2-rules.yml; do
  grep -qx "$f" "$work/files" || fail "the package lacks $f"
done
missing="$(in_root sh -c 'ldd /usr/bin/Brevik2 /usr/bin/brevik2-monitor /usr/bin/brevik2-sim' | grep 'not found' || true)"
[ -z "$missing" ] || fail "libraries the package does not pull in: $missing"
in_root id -nG brevik2 | grep -qw dialout || fail "the system user brevik2 is not in dialout"

echo "== brevik2-sim and brevik2-monitor --polls 2 as brevik2"
uid="$(in_root id -u brevik2)"
gid="$(in_root id -g brevik2)"
data=/var/lib/brevik2/check
install -d -o "$uid" -g "$gid" "$target$data"
printf '[Brevik2]\nComPort=Com1\nMonitoringEnabled=true\nRecordDataFile=true\nSamplingInterval=1\n' \
  >"$target$data/Brevik2.ini"
chown "$uid:$gid" "$target$data/Brevik2.ini"
# chroot and env exec, so $! is the simulator itself.
chroot --userspec="$uid:$gid" "$target" env HOME="$data" \
  /usr/bin/brevik2-sim --model 402 --unit-id 4242 --link "$data/com1" </dev/null >"$work/sim.out" &
sim=$!
for _ in $(seq 100); do [ -L "$target$data/com1" ] && break; sleep 0.1; done  # bounded: 10 s
[ -L "$target$data/com1" ] || fail "brevik2-sim made no link"
timeout 60 chroot --userspec="$uid:$gid" "$target" env HOME="$data" \
  /usr/bin/brevik2-monitor --settings "$data/Brevik2.ini" --polls 2 </dev/null >"$work/monitor.out" ||
  { cat "$work/monitor.out" >&2; fail "brevik2-monitor failed"; }
kill "$sim"
wait "$sim" || fail "brevik2-sim did not end cleanly"
datafile="$target$data/Unit4242_Data.txt"
[ -f "$datafile" ] || fail "no data file Unit4242_Data.txt"
[ "$(wc -l <"$datafile")" -eq 3 ] || fail "the data file should hold a header and 2 lines: $(cat "$datafile")"
[ "$(tail -n 1 "$datafile" | tr -cd , | wc -c)" -eq 50 ] || fail "a data line without 51 columns"

echo "== apt-get purge"
in_root apt-get purge -y -qq --autoremove brevik2 >"$work/purge.log" 2>&1 ||
  { tail -n 20 "$work/purge.log" >&2; fail "purging failed"; }
while read -r f; do
  [ -d "$target$f" ] || [ ! -e "$target$f" ] || fail "left behind: $f"
done <"$work/files"
left="$(cd "$target" && find . -xdev -iname '*brevik2*' -not -path './var/lib/brevik2*' -not -path './tmp/*')"
[ -z "$left" ] || fail "left behind: $left"
[ -f "$datafile" ] || fail "the purge took the data"
echo "package-check: passed in $((SECONDS - started)) s"
