#!/usr/bin/env bash
# A real Prometheus scrapes brevik2-monitor --metrics against a simulated model 401: it must see
# the unit online, a telemetry column equal to the data file's last line and the alarm state,
# then brevik2_online go to 0 once the simulated unit vanishes. Skipped (77) without Prometheus.
#
#   prometheus_scrape_test.sh BREVIK2_MONITOR BREVIK2_SIM RULES_FILE
set -euo pipefail

monitor=$1
sim=$2
rules=$3

command -v prometheus >/dev/null && command -v promtool >/dev/null || {
  echo "SKIP: no prometheus binary (Debian package prometheus)"; exit 77; }

# shellcheck source=../support/script_support.sh
source "$(dirname "$0")/../support/script_support.sh"
start_work brevik2-prometheus

fail() {
  echo "FAIL: $*"
  echo "--- monitor"; tail -20 "$work/monitor.log" 2>/dev/null || true
  echo "--- prometheus"; tail -20 "$work/prometheus.log" 2>/dev/null || true
  exit 1
}

# The value of an instant query's only sample, or nothing.
query() {
  promtool query instant "http://127.0.0.1:$prom_port" "$1" 2>/dev/null |
    sed -n 's/.* => \([^ ]*\) @.*/\1/p' | head -1
}
query_is() { [ "$(query "$1")" = "$2" ]; }

# The named column of the data file's last line.
last_line_column() {
  awk -F', ' -v name="$1" 'NR == 1 { for (i = 1; i <= NF; i++) if ($i == name) c = i }
    END { split($0, f, ","); print f[c] + 0 }' "$work/data/Unit77_Data.txt" | tr -d '\r'
}

# The simulated unit serves 20 polls, one a second, then its port vanishes for good.
"$sim" --model 401 --unit-id 77 --link "$work/com1" --fault vanish --vanish-after 20 \
  --reappear-after -1 >"$work/sim.log" 2>&1 &
pids+=($!)
wait_for 50 test -e "$work/com1" || fail "the simulator did not start"
write_monitor_settings
"$monitor" --settings "$work/Brevik2.ini" --metrics 127.0.0.1:0 >"$work/monitor.log" 2>&1 &
pids+=($!)
wait_for 100 grep -q "^status: Metrics on " "$work/monitor.log" || fail "no metrics endpoint"
target=$(sed -n 's|^status: Metrics on http://\(.*\)/metrics$|\1|p' "$work/monitor.log")

# Prometheus on a free port of 127.0.0.1: a port taken meanwhile makes it exit, and another is
# tried.
for attempt in 1 2 3 4 5; do
  prom_port=$((20000 + RANDOM % 40000))
  cat >"$work/prometheus.yml" <<YML
global: {scrape_interval: 1s, evaluation_interval: 1s}
rule_files: ['$rules']
scrape_configs:
  - job_name: brevik2
    static_configs: [{targets: ['$target']}]
YML
  prometheus --config.file="$work/prometheus.yml" --storage.tsdb.path="$work/tsdb" \
    --web.listen-address="127.0.0.1:$prom_port" --log.level=warn >"$work/prometheus.log" 2>&1 &
  prom_pid=$!
  if wait_for 300 query_is 'vector(1)' 1; then break; fi
  kill "$prom_pid" 2>/dev/null || true
  wait "$prom_pid" 2>/dev/null || true
  [ "$attempt" = 5 ] && fail "Prometheus did not start"
done
pids+=("$prom_pid")

wait_for 300 query_is 'brevik2_online{unit_id="77",model="401",job="brevik2"}' 1 ||
  fail "Prometheus never saw brevik2_online 1"
[ "$(query 'brevik2_alarm_state{unit_id="77"}')" = 0 ] || fail "alarm state is not 0"
pos24=$(last_line_column POS24V)
[ "$(query 'brevik2_pos24v_volts{unit_id="77"}')" = "$pos24" ] ||
  fail "brevik2_pos24v_volts is not the data file's $pos24"
[ "$(query 'count(brevik2_alarm{unit_id="77"})')" = 40 ] || fail "not 40 alarm flags"

wait_for 600 query_is 'brevik2_online{unit_id="77"}' 0 ||
  fail "brevik2_online did not go to 0 after the unit vanished"
# The polls have stopped, so the last line and the last scrape describe the same poll.
vcxo=$(last_line_column V_VCXO)
wait_for 50 query_is 'brevik2_v_vcxo{unit_id="77"}' "$vcxo" ||
  fail "brevik2_v_vcxo $(query 'brevik2_v_vcxo') is not the data file's last $vcxo"
echo "PASS: scraped online, alarm state, POS24V $pos24, V_VCXO $vcxo, then offline"
