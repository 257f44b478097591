# Sourced by package-check.sh and systemd-check.sh: a fresh bookworm root from the package source
# this machine uses. The downloaded packages stay in build/debian-cache for the next run, which
# then only unpacks; the root itself uses the folder as apt's archive when it is mounted there.

# The package source of this machine, by the codename of its suites.
bookworm_sources() {
  apt-get indextargets --format '$(REPO_URI) $(CODENAME)' 'Identifier: Packages' 'Component: main' | sort -u
}

# make_bookworm_root TARGET CACHE LOG [debootstrap options]: a minbase root in TARGET (made
# afresh) with this machine's bookworm sources, or a message and status 1.
make_bookworm_root() {
  local target="$1" cache="$2" log="$3" mirror
  shift 3
  [ -n "$(bookworm_sources)" ] || apt-get update -qq
  mirror="$(bookworm_sources | awk '$2 == "bookworm" { print $1; exit }')"
  [ -n "$mirror" ] || { echo "no bookworm package source on this machine" >&2; return 1; }
  rm -rf "$target"
  mkdir -p "$(dirname "$target")" "$cache/partial"
  debootstrap --variant=minbase --cache-dir="$cache" "$@" bookworm "$target" "$mirror" >"$log" 2>&1 ||
    { tail -n 20 "$log" >&2; echo "debootstrap failed" >&2; return 1; }
  bookworm_sources | awk '$2 ~ /^bookworm/ { print "deb " $1 " " $2 " main" }' >"$target/etc/apt/sources.list"
}
