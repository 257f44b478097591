#!/usr/bin/env bash
# Runs the benchmarks and prints their figures (docs/performance.md records them).
#   bench/run.sh [poll|net|idle|memory|scrape|pollscrape|memorymetrics|settings]...
#                                  (default: poll net idle memory; about five minutes)
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BREVIK2_BUILD_DIR:-$root/build}"
cmake --build "$build" -j"$(nproc)" --target bench_poll_wire_ratio bench_metrics_scrape \
  brevik2-monitor brevik2-sim >/dev/null
work="$(mktemp -d)"
sim_pid=""
ser2net_pid=""
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null
  [ -n "$ser2net_pid" ] && kill "$ser2net_pid" 2>/dev/null
  wait 2>/dev/null; rm -rf "$work"
}
trap cleanup EXIT

start_sim() {  # a healthy model 401 at $work/com1; extra arguments go to the simulator
  "$build/apps/brevik2-sim" --model 401 --link "$work/com1" "$@" >/dev/null &
  sim_pid=$!
  for _ in $(seq 50); do [ -e "$work/com1" ] && return; sleep 0.1; done
  echo "simulator did not start" >&2; exit 1
}
stop_sim() { kill "$sim_pid"; wait "$sim_pid" 2>/dev/null || true; sim_pid=""; }

settings() {  # $1 = SamplingInterval
  printf '[Brevik2]\nComPort=Com1\nMonitoringEnabled=true\nRecordDataFile=false\nSamplingInterval=%s\n' \
    "$1" >"$work/Brevik2.ini"
}

cpu_ticks() { awk '{print $14 + $15}' "/proc/$1/stat"; }

bench_poll() {
  echo "== poll time against the wire (9600 8N1, paced simulator)"
  "$build/bench/bench_poll_wire_ratio" 20
}

listening() {  # $1 = a TCP port of 127.0.0.1
  grep -q "^ *[0-9]*: 0100007F:$(printf '%04X' "$1") [0-9A-F:]* 0A" /proc/net/tcp
}

bench_net() {
  echo "== poll time against the wire through ser2net on 127.0.0.1 (9600 8N1, paced simulator)"
  start_sim --pace
  local raw=$((20000 + RANDOM % 20000)) telnet
  telnet=$((raw + 1))
  # chardelay off: ser2net otherwise holds what the line delivered for a few character times,
  # hoping for more, before it sends it on (see docs/performance.md).
  cat >"$work/ser2net.yaml" <<YAML
connection: &raw
  accepter: tcp,127.0.0.1,$raw
  connector: serialdev,$work/com1,9600n81,local
  options:
    chardelay: ${BREVIK2_SER2NET_CHARDELAY:-false}
connection: &rfc2217
  accepter: telnet(rfc2217),tcp,127.0.0.1,$telnet
  connector: serialdev,$work/com1,9600n81,local
  options:
    chardelay: ${BREVIK2_SER2NET_CHARDELAY:-false}
YAML
  ser2net -n -u -c "$work/ser2net.yaml" -P "$work/ser2net.pid" >"$work/ser2net.log" 2>&1 &
  ser2net_pid=$!
  for _ in $(seq 100); do listening "$raw" && listening "$telnet" && break; sleep 0.05; done
  listening "$telnet" || { echo "ser2net did not listen" >&2; cat "$work/ser2net.log" >&2; exit 1; }
  "$build/bench/bench_poll_wire_ratio" 20
  "$build/bench/bench_poll_wire_ratio" 20 "tcp://127.0.0.1:$raw"
  "$build/bench/bench_poll_wire_ratio" 20 "rfc2217://127.0.0.1:$telnet"
  kill "$ser2net_pid"; wait "$ser2net_pid" 2>/dev/null || true; ser2net_pid=""
  stop_sim
}

bench_idle() {
  echo "== idle cost (SamplingInterval 3600, 60 s)"
  settings 3600
  start_sim
  "$build/apps/brevik2-monitor" --settings "$work/Brevik2.ini" --seconds 70 >/dev/null &
  local pid=$!
  sleep 5  # start-up, contact and the first poll are not idle
  local before; before=$(cpu_ticks "$pid")
  sleep 60
  local after; after=$(cpu_ticks "$pid")
  kill -TERM "$pid"; wait "$pid" || true
  stop_sim
  local hz; hz=$(getconf CLK_TCK)
  awk -v t=$((after - before)) -v hz="$hz" \
    'BEGIN { printf "cpu %.3f s in 60 s = %.3f %% of one core\n", t / hz, 100 * t / hz / 60 }'
}

bench_memory() {  # extra arguments go to the monitor
  echo "== memory over 1000 polls (SamplingInterval 0: a poll every cycle) $*"
  settings 0
  start_sim
  local out="$work/monitor.out"
  "$build/apps/brevik2-monitor" --settings "$work/Brevik2.ini" --polls 1001 "$@" >"$out" &
  local pid=$!
  if [ $# -gt 0 ]; then  # with metrics: scraped every 100 ms all along
    for _ in $(seq 100); do grep -q '^status: Metrics on' "$out" && break; sleep 0.1; done
    local port; port=$(sed -n 's|^status: Metrics on http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$out")
    (while kill -0 "$pid" 2>/dev/null; do
       "$build/bench/bench_metrics_scrape" "$port" 1 >/dev/null 2>&1 || true; sleep 0.1
     done) &
  fi
  local rss100="" polls=0
  while kill -0 "$pid" 2>/dev/null; do
    polls=$(grep -c '^message: 10$' "$out" || true)
    if [ -z "$rss100" ] && [ "$polls" -ge 100 ]; then
      rss100=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
    fi
    if [ "$polls" -ge 1000 ]; then
      local rss1000 hwm
      rss1000=$(awk '/VmRSS/ {print $2}' "/proc/$pid/status")
      hwm=$(awk '/VmHWM/ {print $2}' "/proc/$pid/status")
      echo "resident at poll 100: ${rss100} KiB; at poll 1000: ${rss1000} KiB (growth $((rss1000 - rss100)) KiB); peak ${hwm} KiB"
      break
    fi
    sleep 0.05
  done
  wait "$pid" || true
  stop_sim
}

bench_scrape() {
  echo "== scrape cost: 1000 /metrics requests in a row against brevik2-monitor --metrics"
  settings 1
  start_sim
  local out="$work/monitor.out"
  "$build/apps/brevik2-monitor" --settings "$work/Brevik2.ini" --metrics 127.0.0.1:0 \
    --seconds 600 >"$out" &
  local pid=$!
  for _ in $(seq 100); do grep -q '^message: 10$' "$out" && break; sleep 0.1; done
  local port; port=$(sed -n 's|^status: Metrics on http://127.0.0.1:\([0-9]*\)/.*|\1|p' "$out")
  local before; before=$(cpu_ticks "$pid")
  local start; start=$(date +%s.%N)
  "$build/bench/bench_metrics_scrape" "$port" 1000
  local end; end=$(date +%s.%N)
  local after; after=$(cpu_ticks "$pid")
  local hz; hz=$(getconf CLK_TCK)
  awk -v t=$((after - before)) -v hz="$hz" -v s="$start" -v e="$end" \
    'BEGIN { printf "monitor cpu for 1000 scrapes %.2f s (%.2f ms a scrape; %.1f s of polling in it)\n", t / hz, 1000 * t / hz / 1000, e - s }'
  echo "monitor resident after them: $(awk '/VmRSS/ {print $2}' "/proc/$pid/status") KiB, peak $(awk '/VmHWM/ {print $2}' "/proc/$pid/status") KiB"
  kill -TERM "$pid"; wait "$pid" || true
  stop_sim
}

bench_pollscrape() {
  echo "== poll time against the wire, scraped every 100 ms; then also with 100 idle clients"
  "$build/bench/bench_poll_wire_ratio" 20 --scrape-ms 100
  "$build/bench/bench_poll_wire_ratio" 20 --scrape-ms 100 --idle-connections 100
}

bench_memorymetrics() { bench_memory --metrics 127.0.0.1:0; }

bench_settings() {
  echo "== one read of a settings file of 300,000 lines without \"=\" or \"]\""
  cmake --build "$build" --target bench_settings_parse >/dev/null
  "$build/bench/bench_settings_parse" 20
}

for b in "${@:-poll net idle memory}"; do
  for one in $b; do "bench_$one"; done
done
