#!/usr/bin/env bash
# Makes the wine prefix of the Windows tests ready: created, running, and holding a folder
# tree with a Unix symbolic link, which Win32 sees as a folder reparse point.
set -euo pipefail
prefix=$1
wine=$2

# wineboot creates the prefix the first time, and starts wine's own services. They
# stay with the wineserver, so they must not hold the test runner's output pipe.
WINEPREFIX="$prefix" "$wine" wineboot --init </dev/null >/dev/null 2>&1 || true
test -d "$prefix/drive_c/windows/system32"

links="$prefix/drive_c/tvac-tests/links"
rm -rf "$links"
mkdir -p "$links/target" "$links/tree/sub"
echo keep > "$links/target/keep.txt"
echo gone > "$links/tree/sub/file.txt"
ln -s ../target "$links/tree/link"
