#!/usr/bin/env bash
# The scan against the floor that its checks set, under wine: builds tvac.exe,
# tvac-scan.exe and the benchmark program, and runs it on a private Xvfb in a prefix
# of its own with a wineserver kept running, so that what is measured is the scan
# and not wine's start-up.
#   scripts/bench-scan.sh [ENTRIES] [ROUNDS]     (20,000 entries, 3 rounds)
# Prints each figure (the median of the rounds) and the ratio of the whole scan to
# the bare checks. Not a test: the figures depend on the machine, and another
# program busy on it spoils them.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tvac tvac-scan tvac_scan_floor_bench >/dev/null

# shellcheck source=scripts/lib/wine-gui.sh
source scripts/lib/wine-gui.sh
build="$PWD/build/windows"
gui_wine_env "$build/bench-prefix"
trap gui_stop_all EXIT
gui_start_xvfb 60 69
gui_start_prefix
to_windows() { echo "Z:${1//\//\\}"; }
"$wine" "$(to_windows "$build/tvac_scan_floor_bench.exe")" 'C:\tvac-bench' "$(to_windows "$build")" \
  "${1:-20000}" "${2:-3}"
