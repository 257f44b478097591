#!/usr/bin/env bash
# Installs the Debian packages Brevik2 builds and tests with, when any is missing.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libgtest-dev googletest
  libtelnet-dev ser2net  # serial ports on the network, and the real server the tests run
  qt6-base-dev xvfb xauth
  qt6-charts-dev libqt6opengl6-dev  # the Trends window's plots
  xdotool x11-utils x11-apps netpbm  # the window test under Xvfb: keys, titles, a screenshot
  prometheus-cpp-dev libcivetweb-dev  # the metrics endpoint (pull exposer)
  prometheus  # promtool for the alert rules, and the real scrape test
  clang-format
  clang libclang-rt-14-dev  # libFuzzer, for scripts/fuzz.sh
  g++-mingw-w64-x86-64-posix mingw-w64-tools wine wine64  # the Windows build under Wine
  libsystemd-dev  # the service's READY and watchdog notifications
  scdoc man-db groff-base  # manual pages: rendered at build time, checked with man -l
  systemd  # systemd-analyze verify and security on the service unit
  systemd-container  # systemd-nspawn: the service under a real systemd (scripts/systemd-check.sh)
  dpkg-dev fakeroot lintian debootstrap  # the Debian package and its check in a fresh root
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
if [ "$(id -u)" -ne 0 ]; then
  command -v sudo >/dev/null || { echo "install as root: ${missing[*]}" >&2; exit 1; }
  as_root=(sudo)
fi
echo "Installing: ${missing[*]}"
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
"${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
