#!/usr/bin/env bash
# Builds the Debian package (cpack -G DEB) in the build folder, checks it with lintian and prints
# its path on the last line. Lintian errors fail; its warnings are listed in the README.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BREVIK2_BUILD_DIR:-$root/build}"
"$root/scripts/build.sh" "$@" >&2
(cd "$build" && cpack -G DEB >&2)
deb="$(ls -t "$build"/brevik2_*.deb | head -n 1)"
echo "== lintian $(basename "$deb")" >&2
lintian --fail-on error "$deb" >&2
echo "$deb"
