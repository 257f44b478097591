# Sourced by the test scripts.

# Waits up to $1 tenths of a second for the command after it to succeed.
wait_for() {
  local tenths=$1
  shift
  for _ in $(seq "$tenths"); do
    if "$@"; then return 0; fi
    sleep 0.1
  done
  return 1
}

# A private folder $work and a list $pids for background processes; when the script ends, the
# processes are stopped and the folder removed.
start_work() {
  work=$(mktemp -d "${TMPDIR:-/tmp}/$1-XXXXXX")
  pids=()
  trap stop_work EXIT
}

stop_work() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  rm -rf "$work"
}

# $work/Brevik2.ini for a unit on the "com1" link in $work, polled every second into data files
# in $work/data/; the lines given after it are added to the section.
write_monitor_settings() {
  mkdir -p "$work/data"
  printf '%s\n' "[Brevik2]" "ComPort=Com1" "MonitoringEnabled=true" "RecordDataFile=true" \
    "SamplingInterval=1" "OnlineDatafileDirectory=$work/data/" "$@" >"$work/Brevik2.ini"
}
