#!/usr/bin/env bash
# Installs what is missing, builds, and runs Brevik2 on a simulated unit: the simulator plays a
# model 401 on a pseudo-terminal and the monitor polls it every few seconds. Ctrl-C ends both.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build="${BREVIK2_BUILD_DIR:-$root/build}"

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

"$build/apps/brevik2-sim" --model 401 --link "$demo/com1" &
sim=$!
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null' EXIT
for _ in $(seq 50); do [ -e "$demo/com1" ] && break; sleep 0.1; done

echo "Settings: $settings; telemetry in $demo/data/"
# The window when there is a display to show it on (and no monitor options were given), the
# console monitor otherwise.
if [ -n "${DISPLAY:-}${WAYLAND_DISPLAY:-}" ] && [ $# -eq 0 ] && [ -x "$build/apps/Brevik2" ]; then
  "$build/apps/Brevik2"
else
  "$build/apps/brevik2-monitor" "$@"
fi
