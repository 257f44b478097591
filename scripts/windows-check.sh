#!/usr/bin/env bash
# Cross-builds the link, the engine and the console monitor for Windows with MinGW-w64, runs
# their unit tests under Wine, and runs brevik2-monitor.exe against the native simulator through
# Wine's COM1 mapped to the simulator's pseudo-terminal. Needs the native build (for brevik2-sim
# and brevik2-monitor, whose telemetry file the Windows one must match); extra arguments go to
# the cross build's cmake.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
native="${BREVIK2_BUILD_DIR:-$root/build}"
cross="${BREVIK2_WINDOWS_BUILD_DIR:-$root/build-windows}"

echo "== Windows: cross build"
cmake -S "$root" -B "$cross" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=RelWithDebInfo -DBREVIK2_BUILD_GUI=OFF \
  -DBREVIK2_GTEST_SOURCE_DIR=/usr/src/googletest "$@" >/dev/null
cmake --build "$cross" -j"$(nproc)"

# A prefix of its own, no display, no prompts for Mono or Gecko, no debug chatter.
export WINEPREFIX="$cross/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
unset DISPLAY WAYLAND_DISPLAY
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "== Windows: new Wine prefix"
  wineboot --init </dev/null >/dev/null 2>&1
  wineserver --wait  # wineboot returns before the prefix is written
fi
# One server for the programs below; one still running from an earlier run serves as well.
wineserver --persistent=30 </dev/null >/dev/null 2>&1 || true
# Wine's mount manager rewrites dosdevices/com1 to /dev/ttyS0 whenever it starts unless the
# registry names the port's device: COM1 is a link here that each simulator run repoints.
unit_port="$cross/com1-unit"
wine reg add 'HKLM\Software\Wine\Ports' /v COM1 /d "$unit_port" /f </dev/null >/dev/null

work="$(mktemp -d)"
sim=""
stop_sim() {
  if [ -n "$sim" ]; then
    kill "$sim" 2>/dev/null || true
    wait "$sim" 2>/dev/null || true
    sim=""
  fi
}
trap 'stop_sim; wineserver -k 2>/dev/null || true; rm -rf "$work"' EXIT

fail() { echo "windows-check: $*" >&2; exit 1; }

# Plays a unit on a pty (extra simulator options in "$@") and maps COM1 of the prefix to it.
start_sim() {
  stop_sim
  rm -f "$work/pty"
  "$native/apps/brevik2-sim" --model 401 --link "$work/pty" "$@" >/dev/null &
  sim=$!
  for _ in $(seq 100); do [ -e "$work/pty" ] && break; sleep 0.1; done
  [ -e "$work/pty" ] || fail "the simulator made no pty"
  ln -sfn "$(readlink -f "$work/pty")" "$unit_port"
  ln -sfn "$unit_port" "$WINEPREFIX/dosdevices/com1"
}

echo "== Windows: unit tests under Wine (COM1 on a silent unit)"
start_sim --fault silent
BREVIK2_TEST_COM_PORT=Com1 ctest --test-dir "$cross" --output-on-failure --timeout 300

# The same settings for both monitors, each with its own file and data folder.
write_settings() {  # folder, data folder as that program names it, port
  mkdir -p "$1/data"
  printf '[Brevik2]\r\nComPort=%s\r\nBaudRate=9600\r\nParity=n\r\nStopBits=1\r\nDataBits=8\r\n' "$3" >"$1/Brevik2.ini"
  printf 'MonitoringEnabled=true\r\nRecordDataFile=true\r\nSamplingInterval=1\r\n' >>"$1/Brevik2.ini"
  printf 'OnlineDatafileDirectory=%s\r\n' "$2" >>"$1/Brevik2.ini"
}
mkdir -p "$work/win" "$work/native"
write_settings "$work/win" "$(winepath -w "$work/win/data")\\" Com1
write_settings "$work/native" "$work/native/data/" "$work/pty"
monitor_exe="$cross/apps/brevik2-monitor.exe"
win_settings="$(winepath -w "$work/win/Brevik2.ini")"

echo "== Windows: brevik2-monitor.exe polls the simulator"
start_sim
timeout 120 wine "$monitor_exe" --settings "$win_settings" --polls 2 </dev/null >"$work/polls.txt" \
  || fail "the polling session failed: $(cat "$work/polls.txt")"
tr -d '\r' <"$work/polls.txt" >"$work/polls.lf"
grep -qx "status: Com port Open OK" "$work/polls.lf" || fail "no open: $(cat "$work/polls.lf")"
grep -qx "status: Unit Online" "$work/polls.lf" || fail "no contact: $(cat "$work/polls.lf")"
[ "$(grep -cx "message: 10" "$work/polls.lf")" -eq 2 ] || fail "not two polls: $(cat "$work/polls.lf")"

echo "== Windows: a request"
timeout 120 wine "$monitor_exe" --settings "$win_settings" --request C03 </dev/null >"$work/request.txt" \
  || fail "the request session failed: $(cat "$work/request.txt")"
grep -q "^reply: .*Version" "$work/request.txt" || fail "no reply: $(cat "$work/request.txt")"

echo "== Windows: the telemetry file matches the native one"
timeout 120 "$native/apps/brevik2-monitor" --settings "$work/native/Brevik2.ini" --polls 2 </dev/null >/dev/null
win_file="$(find "$work/win/data" -type f | head -n1)"
native_file="$(find "$work/native/data" -type f | head -n1)"
[ -n "$win_file" ] && [ -n "$native_file" ] || fail "a telemetry file is missing"
[ "$(basename "$win_file")" = "$(basename "$native_file")" ] || fail "file names differ"
# Layout: every digit as 9 and no minus signs, so times and readings may differ but fields,
# widths and line ends may not.
layout() { sed -E 's/[0-9]/9/g; s/-9/9/g' "$1" | cat -A | head -n 3; }
grep -qv $'\r$' "$win_file" && fail "a line without CR LF in $win_file"
diff <(layout "$win_file") <(layout "$native_file") >"$work/layout.diff" \
  || fail "layouts differ (Windows <, native >): $(head -n 20 "$work/layout.diff")"

echo "== Windows: stop while the unit is silent"
start_sim --fault silent
started=$(date +%s%N)
timeout 60 wine "$monitor_exe" --settings "$win_settings" --seconds 4 </dev/null >"$work/silent.txt" \
  || fail "the silent session failed: $(cat "$work/silent.txt")"
took_ms=$((($(date +%s%N) - started) / 1000000))
grep -q "Unit Not Responding" "$work/silent.txt" || fail "no silence seen: $(cat "$work/silent.txt")"
# 4 s of run and Wine's start; a stop that waited for a read's time-outs (1.1 s a read, several
# reads in a drain) or for the monitor thread's own bound (5.1 s) would overrun this.
[ "$took_ms" -lt 7000 ] || fail "stop took $took_ms ms"
echo "stopped after $took_ms ms (4 s asked)"
stop_sim
echo "== Windows: all passed"
