#!/usr/bin/env bash
# The service unit, with the monitor's path filled in as installing does, passes systemd's own
# check, and systemd-analyze security rates its exposure 2.0 or lower.
# Usage: service_unit_test.sh UNIT_TEMPLATE MONITOR_PROGRAM
set -euo pipefail
command -v systemd-analyze >/dev/null || { echo "no systemd-analyze here"; exit 77; }
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
sed "s#@BREVIK2_MONITOR@#$2#" "$1" > "$work/brevik2-monitor@check.service"
# The manual pages are checked on their own (manual_pages_test.sh); they are not installed here.
output="$(cd "$work" && systemd-analyze verify --man=no "./brevik2-monitor@check.service" 2>&1)"
if [ -n "$output" ]; then
  echo "$output" >&2
  exit 1
fi
grep -q '^Type=notify$' "$work/brevik2-monitor@check.service"
grep -q '^WatchdogSec=' "$work/brevik2-monitor@check.service"
output="$(cd "$work" && systemd-analyze security --offline=yes --man=no --threshold=20 \
  "./brevik2-monitor@check.service" 2>&1)" || { echo "$output" | grep -E '✗|Overall' >&2; exit 1; }
