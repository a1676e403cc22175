#!/usr/bin/env bash
# The whole test run: installs what is missing, builds the three presets and runs
# the host tests, the sanitizer build of them, and the Windows tests under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in host host-sanitize; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" --no-tests=error
done

cmake --preset windows >/dev/null
cmake --build --preset windows

# One wineserver for the whole Windows suite, so that each test program starts in
# a fraction of a second. It keeps the locale it was started with: a Western one.
export WINEPREFIX="$PWD/build/windows/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -k 2>/dev/null || true
/usr/lib/wine/wineserver -p
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
ctest --preset windows --no-tests=error
