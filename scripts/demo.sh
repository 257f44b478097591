#!/usr/bin/env bash
# Installs what is missing, builds, and runs Brevik2 on a simulated unit: the simulator plays a
# model 401 on a pseudo-terminal and the monitor polls it every few seconds. Ctrl-C ends both.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="${BREVIK2_BUILD_DIR:-$root/build}"
# The window when there is a display to show it on (and no monitor options were given), the
# console monitor otherwise.
window=false
[ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ $# -eq 0 ] && window=true

# Only the programs the demo runs (scripts/build.sh builds every test as well).
log="$build/demo-build.log"
mkdir -p "$build"
cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >"$log" 2>&1 || {
  cat "$log" >&2
  exit 1
}
programs=(brevik2-sim brevik2-monitor)
if $window && ! grep -q '^BREVIK2_BUILD_GUI:BOOL=OFF' "$build/CMakeCache.txt"; then
  programs+=(Brevik2)
fi
echo "Building ${programs[*]}: a few minutes the first time (log: $log)"
cmake --build "$build" -j"$(nproc)" --target "${programs[@]}" >>"$log" 2>&1 || {
  tail -n 30 "$log" >&2
  echo "The build failed; the whole log is $log" >&2
  exit 1
}

demo="${BREVIK2_DEMO_DIR:-$root/build/demo}"
mkdir -p "$demo/data"
settings="$demo/Brevik2.ini"
if [ ! -f "$settings" ]; then
  cat >"$settings" <<INI
[Brevik2]
ComPort=Com1
MonitoringEnabled=true
RecordDataFile=true
SamplingInterval=5
UnitStatusVisible=true
OnlineDatafileDirectory=$demo/data/
INI
fi
export BREVIK2_SETTINGS="$settings"

# The simulator names its pseudo-terminal on standard output; the demo's own lines say enough.
"$build/apps/brevik2-sim" --model 401 --link "$demo/com1" >"$demo/sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "$demo/com1" ] && break; sleep 0.1; done

echo "Settings: $settings; telemetry in $demo/data/"
if $window && [ -x "$build/apps/Brevik2" ]; then
  "$build/apps/Brevik2"
else
  "$build/apps/brevik2-monitor" "$@"
fi
