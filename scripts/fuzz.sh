#!/usr/bin/env bash
# Builds the libFuzzer targets of fuzz/ with clang and runs each for a given time, starting from
# the seed corpus fuzz/corpus/<target>/ and the kept inputs tests/fuzz_regressions/<target>/.
# A crash or a broken rule fails the script; the input that caused it is left in
# <build>/artifacts/<target>/, to be kept under tests/fuzz_regressions/<target>/ with the fix.
#
# usage: scripts/fuzz.sh [SECONDS_PER_TARGET] [TARGET...]    (default: 20 s, every target)
# Build folder: $BREVIK2_BUILD_DIR-fuzz (default build-fuzz). The corpus grown by a run stays in
# <build>/corpus/<target>/ and is used again by the next run.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BREVIK2_BUILD_DIR:-$root/build}-fuzz"
jobs="${BREVIK2_JOBS:-$(nproc)}"
seconds="${1:-20}"
[ $# -gt 0 ] && shift
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  targets=(status_records unit_status_check clock_version_counters event_log reply_lines
           settings_file telemetry_file_name telnet_com_port)
fi

# The longest input worth trying: a little over the longest reply or file each parser reads.
max_len() {
  case "$1" in
    status_records | unit_status_check) echo 512 ;;
    clock_version_counters) echo 1024 ;;
    event_log) echo 8192 ;;
    reply_lines | settings_file) echo 4096 ;;
    telemetry_file_name) echo 256 ;;
    *) echo 4096 ;;
  esac
}

cmake -S "$root/fuzz" -B "$build" -DCMAKE_CXX_COMPILER="${BREVIK2_FUZZ_CXX:-clang++}" >/dev/null
cmake --build "$build" -j"$jobs"

summary="$build/fuzz-summary.txt"
printf '%-24s %7s %12s %9s %6s %7s %7s %s\n' target seconds executions exec/s cov features corpus \
  result | tee "$summary"
failed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  artifacts="$build/artifacts/$t"
  log="$build/logs/$t.log"
  mkdir -p "$corpus" "$artifacts" "$(dirname "$log")"
  inputs=("$corpus" "$root/fuzz/corpus/$t")
  [ -d "$root/tests/fuzz_regressions/$t" ] && inputs+=("$root/tests/fuzz_regressions/$t")
  result=ok
  "$build/fuzz_$t" -max_total_time="$seconds" -max_len="$(max_len "$t")" -timeout=10 \
    -rss_limit_mb=2048 -print_final_stats=1 -artifact_prefix="$artifacts/" "${inputs[@]}" \
    >"$log" 2>&1 || { result="FAILED (see $log and $artifacts/)"; failed=1; }
  execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
  last=$(grep -E '^#[0-9]+.*cov: ' "$log" | tail -1 || true)
  cov=$(sed -n 's/.*cov: \([0-9]*\).*/\1/p' <<<"$last")
  ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$last")
  corp=$(sed -n 's/.* corp: \([0-9]*\).*/\1/p' <<<"$last")
  printf '%-24s %7s %12s %9s %6s %7s %7s %s\n' "$t" "$seconds" "${execs:-?}" "${rate:-?}" \
    "${cov:-?}" "${ft:-?}" "${corp:-?}" "$result" | tee -a "$summary"
done
exit "$failed"
