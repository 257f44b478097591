#!/usr/bin/env bash
# Starts the real Brevik2 on a private X server (Xvfb) against a simulated model 401, waits for
# the first poll, checks the settings file and the window titles, keeps a screenshot, closes the
# program from the File menu and checks that it saved its window and ended with status 0.
#
#   brevik2_window_test.sh BREVIK2 BREVIK2_SIM OUTPUT_FOLDER
set -euo pipefail

brevik2=$1
sim=$2
out=$3

for tool in Xvfb xdotool xprop xwininfo; do
  command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing (scripts/install-deps.sh)"; exit 1; }
done

# shellcheck source=../support/script_support.sh
source "$(dirname "$0")/../support/script_support.sh"
start_work brevik2-window

fail() {
  echo "FAIL: $*"
  echo "--- settings"; cat "$work/Brevik2.ini" 2>/dev/null || true
  echo "--- Brevik2 output"; cat "$work/brevik2.log" 2>/dev/null || true
  exit 1
}

# The window serves metrics too; a clash on this random port would fail the test loudly.
metrics_port=$((20000 + RANDOM % 40000))
scrape() {
  exec 3<>"/dev/tcp/127.0.0.1/$metrics_port" || return 1
  printf 'GET /metrics HTTP/1.0\r\n\r\n' >&3
  cat <&3
  exec 3<&-
}

# A screen of 1280 x 1024. The stored main window is too wide for it: the width falls back to
# 600, and since its left plus the stored width runs off the screen, it is centred: left 340.
write_monitor_settings WindowRectangle=5000,300,40,30 UnitStatusRectangle=900,560,20,370 \
  UnitStatusVisible=true "MetricsListen=127.0.0.1:$metrics_port"

"$sim" --model 401 --link "$work/com1" >"$work/sim.log" 2>&1 &
pids+=($!)
wait_for 50 test -e "$work/com1" || fail "the simulator made no link"

# -displayfd picks a free display, so tests can run side by side.
Xvfb -displayfd 5 -screen 0 1280x1024x24 -nolisten tcp 5>"$work/display" 2>"$work/xvfb.log" &
pids+=($!)
wait_for 100 test -s "$work/display" || fail "Xvfb did not start"
export DISPLAY=":$(head -n1 "$work/display")"

started=$(date +%s)
env -u QT_QPA_PLATFORM BREVIK2_SETTINGS="$work/Brevik2.ini" "$brevik2" >"$work/brevik2.log" 2>&1 &
app=$!

# The first poll writes the data file's header and its first record.
first_poll() {
  local file
  file=$(ls "$work/data/"* 2>/dev/null | head -n1)
  [ -n "$file" ] && [ "$(wc -l <"$file")" -ge 2 ]
}
wait_for 300 first_poll || fail "no telemetry record within 30 s"

grep -q '^BaudRate=9600' "$work/Brevik2.ini" || fail "the defaults pass did not seed BaudRate"
grep -q '^SerialSwitchCodeRepeatFactor=8' "$work/Brevik2.ini" || fail "the defaults pass stopped early"
grep -q '^WindowRectangle=5000,300,40,30' "$work/Brevik2.ini" || fail "WindowRectangle changed early"

scrape 2>/dev/null | grep -q '^brevik2_online{model="401",unit_id="1010"} 1$' ||
  fail "the window's metrics endpoint does not show the unit online"

frame=$(xdotool search --name '^Brevik 2$' | head -n1)
[ -n "$frame" ] || fail "no window titled Brevik 2"
xprop -id "$frame" WM_NAME | grep -q '"Brevik 2"' || fail "WM_NAME is not Brevik 2"
wait_for 100 xdotool search --name '^Unit 1010 System Monitor$' >/dev/null \
  || fail "the unit status panel shows no poll"
corner=$(xwininfo -id "$frame" | awk '/Absolute upper-left X/ {x=$4} /Absolute upper-left Y/ {y=$4} END {print x "," y}')
[ "$corner" = "340,30" ] || fail "the window is at $corner, not 340,30"

# The picture once the banner has gone and the status bar shows the unit online: the window
# counts a poll on its metrics page only after the status text that came before it.
banner_gone() { ! xdotool search --onlyvisible --name '^About Brevik2$' >/dev/null 2>&1; }
counted_poll() { scrape 2>/dev/null | grep -q '^brevik2_polls_completed_total{.*} [1-9]'; }
wait_for 100 banner_gone || fail "the banner did not go"
wait_for 100 counted_poll || fail "the window counted no poll"
if command -v xwd >/dev/null; then
  if command -v xwdtopnm >/dev/null && command -v pnmtopng >/dev/null; then
    xwd -root -silent | xwdtopnm 2>/dev/null | pnmtopng >"$out/brevik2-window.png"
  else
    xwd -root -silent -out "$out/brevik2-window.xwd"
  fi
fi

# Exit through the File menu: x only once the menu's popup has come up.
visible_windows() { xdotool search --onlyvisible --pid "$app" 2>/dev/null | wc -l; }
before=$(visible_windows)
xdotool windowfocus --sync "$frame"
xdotool key --clearmodifiers alt+f
wait_for 100 test "$(visible_windows)" -gt "$before" || fail "the File menu did not open"
xdotool key x
for _ in $(seq 100); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app" 2>/dev/null && { kill "$app"; fail "Exit from the File menu did not end the program"; }
status=0
wait "$app" || status=$?
[ "$status" = 0 ] || fail "Brevik2 ended with status $status"

grep -q '^WindowRectangle=600,300,340,30$' "$work/Brevik2.ini" || fail "WindowRectangle was not saved"
grep -q '^UnitStatusVisible=true$' "$work/Brevik2.ini" || fail "UnitStatusVisible was not saved"
grep -q '^UnitStatusRectangle=900,560,20,370$' "$work/Brevik2.ini" || fail "UnitStatusRectangle was not saved"
echo "PASS: Brevik2 polled, showed its windows and closed cleanly in $(( $(date +%s) - started )) s"
