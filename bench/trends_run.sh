#!/usr/bin/env bash
# Opening the Trends window on a year of records (525,600 lines, one a minute), with the file in
# the page cache: time until the seven default plots are painted, resident memory, redraw times
# while zooming and panning, and the time to add a column. docs/performance.md records them.
#   bench/trends_run.sh                 (runs under Xvfb when there is no display)
#   bench/trends_run.sh --screenshot docs/trends.png
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BREVIK2_BUILD_DIR:-$root/build}"
cmake --build "$build" -j"$(nproc)" --target bench_trends_open >/dev/null
work="${BREVIK2_TRENDS_WORK:-$(mktemp -d)}"
file="$work/Unit5_Data.txt"
if [ ! -s "$file" ]; then
  echo "== writing a year of records to $file"
  python3 "$root/bench/trends_make_year.py" "$file"
fi
cat "$file" >/dev/null  # into the page cache

run=("$build/bench/bench_trends_open" "$file" --unit 5 --size 1200x800 "$@")
if [ -z "${DISPLAY:-}" ] && [ "${QT_QPA_PLATFORM:-}" != offscreen ]; then
  run=(xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}")
fi
echo "== Trends window on $(du -m "$file" | cut -f1) MB"
"${run[@]}"
