#!/usr/bin/env bash
# --version and --help of the console programs: the version CMake knows, status 0, no other work.
# Usage: program_options_test.sh VERSION PROGRAM...
set -euo pipefail
version="$1"
shift
for program in "$@"; do
  name="$(basename "$program")"
  out="$("$program" --version)"
  [[ "$out" =~ ^$name\ ${version//./\\.}(\ \(git\ [^\)]+\))?$ ]] || { echo "$name --version: $out" >&2; exit 1; }
  help="$("$program" --help)"
  [[ "$help" == usage:* && "$help" == *--version* ]] || { echo "$name --help: $help" >&2; exit 1; }
done
