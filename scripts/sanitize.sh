#!/usr/bin/env bash
# Builds the Qt-free libraries and their tests under the sanitizers and runs them:
#   asan  AddressSanitizer + UndefinedBehaviorSanitizer (and LeakSanitizer): every Qt-free test
#   tsan  ThreadSanitizer: the tests where the monitor thread and its owner share state (slot
#         hand-over, atomic flags, status messages and record copies crossing threads)
# usage: scripts/sanitize.sh [asan] [tsan]      (both when none is named)
# Build folders: $BREVIK2_BUILD_DIR-asan and -tsan (default build-asan, build-tsan).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
base="${BREVIK2_BUILD_DIR:-$root/build}"
jobs="${BREVIK2_JOBS:-$(nproc)}"
kinds=("$@")
[ ${#kinds[@]} -eq 0 ] && kinds=(asan tsan)

# -O1 keeps the instrumented tests fast enough for their pty time-outs while the build stays
# short; Debug adds -g only.
configure() {
  local dir="$1" flags="$2"
  cmake -S "$root" -B "$dir" -DBREVIK2_BUILD_GUI=OFF -DCMAKE_BUILD_TYPE=Debug \
    -DCMAKE_CXX_FLAGS="-O1 -fno-omit-frame-pointer $flags" \
    -DCMAKE_EXE_LINKER_FLAGS="$flags" >/dev/null
}

run_asan() {
  local dir="$base-asan"
  echo "== AddressSanitizer + UndefinedBehaviorSanitizer ($dir)"
  configure "$dir" "-fsanitize=address,undefined -fno-sanitize-recover=undefined"
  cmake --build "$dir" -j"$jobs"
  # The tests run as root in CI; halt on the first report so a finding fails its test.
  ASAN_OPTIONS="detect_leaks=1:halt_on_error=1:abort_on_error=0:strict_string_checks=1:detect_stack_use_after_return=1" \
  UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1" \
    ctest --test-dir "$dir" --output-on-failure -j"$jobs" --timeout 600
}

run_tsan() {
  local dir="$base-tsan"
  local programs=(
    tests/engine/brevik2_engine_monitor_tests
    tests/engine/brevik2_engine_scan_tests
    tests/engine/brevik2_engine_hostile_replies_tests
    tests/engine/brevik2_engine_station_tests
    tests/engine/brevik2_engine_metrics_endpoint_tests
    tests/console/brevik2_console_tests
  )
  echo "== ThreadSanitizer ($dir)"
  configure "$dir" "-fsanitize=thread"
  local targets=()
  for p in "${programs[@]}"; do targets+=(--target "$(basename "$p")"); done
  cmake --build "$dir" -j"$jobs" "${targets[@]}"
  # Run the programs themselves: the ctest list of this folder also names the programs that
  # were not built here.
  local failed=0
  for p in "${programs[@]}"; do
    echo "-- $p"
    TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:exitcode=66:suppressions=$root/scripts/tsan.supp" \
      "$dir/$p" --gtest_brief=1 || { echo "FAILED under ThreadSanitizer: $p"; failed=1; }
  done
  return "$failed"
}

for kind in "${kinds[@]}"; do
  case "$kind" in
    asan) run_asan ;;
    tsan) run_tsan ;;
    *) echo "unknown sanitizer: $kind (asan, tsan)" >&2; exit 2 ;;
  esac
done
