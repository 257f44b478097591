#!/usr/bin/env bash
# The alert rules load, and each fires where it must and stays quiet where it must not.
# Skipped (77) without promtool.
#
#   alert_rules_test.sh RULES_FOLDER
set -euo pipefail
command -v promtool >/dev/null || { echo "SKIP: no promtool (Debian package prometheus)"; exit 77; }
cd "$1"
promtool check rules brevik2-rules.yml
promtool test rules brevik2-rules.test.yml
