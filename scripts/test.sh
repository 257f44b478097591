#!/usr/bin/env bash
# Installs what is missing, builds, checks the formatting and runs every test.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
"$root/scripts/install-deps.sh"
"$root/scripts/build.sh"
build="${BREVIK2_BUILD_DIR:-$root/build}"

echo "== formatting"
(cd "$root" && git ls-files 'src/*.cpp' 'src/*.h' 'apps/*.cpp' 'tests/*.cpp' 'tests/*.h' 'fuzz/*.cpp' 'fuzz/*.h' 'bench/*.cpp' \
  | xargs clang-format --dry-run --Werror)

echo "== tests"
cd "$build"
ctest --output-on-failure -j"$(nproc)" --timeout 300

# Prints its own "== Windows: ..." steps.
BREVIK2_BUILD_DIR="$build" "$root/scripts/windows-check.sh"

echo "== the Debian package, installed, run and purged in a fresh bookworm root"
BREVIK2_BUILD_DIR="$build" "$root/scripts/package-check.sh"

echo "== the service under a real systemd: started, watchdog, upgrade, purge in a booted container"
BREVIK2_BUILD_DIR="$build" "$root/scripts/systemd-check.sh"

echo "== sanitizers: AddressSanitizer + UndefinedBehaviorSanitizer, ThreadSanitizer"
"$root/scripts/sanitize.sh"

echo "== fuzzing, 20 s a target"
"$root/scripts/fuzz.sh" 20

echo "== soak under faults, 2 min"
BREVIK2_BUILD_DIR="$build" "$root/bench/soak" 2
