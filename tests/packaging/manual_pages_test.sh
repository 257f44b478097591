#!/usr/bin/env bash
# Each rendered manual page formats without a warning from man or groff.
set -euo pipefail
status=0
for page in "$@"; do
  warnings="$(MANWIDTH=80 man --warnings -l "$page" 2>&1 >/dev/null)"
  lines="$(MANWIDTH=80 man -l "$page" 2>/dev/null | wc -l)"
  if [ -n "$warnings" ] || [ "$lines" -lt 10 ]; then
    echo "$page: $lines lines; $warnings" >&2
    status=1
  fi
done
exit $status
