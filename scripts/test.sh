#!/usr/bin/env bash
# The whole test run: installs what is missing, builds the presets and runs the
# host tests, their build under AddressSanitizer and UndefinedBehaviorSanitizer,
# the tests of the worker threads under ThreadSanitizer, and the Windows tests
# under wine.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

for preset in host host-sanitize host-tsan; do
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset" --no-tests=error
done

cmake --preset windows >/dev/null
cmake --build --preset windows

# One wineserver for the whole Windows suite, so that each test program starts in
# a fraction of a second. It keeps the locale it was started with, a Western one,
# and the display its first program found: a private Xvfb, so that the tests that
# open windows behave the same on every machine.
export WINEPREFIX="$PWD/build/windows/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
mkdir -p "$WINEPREFIX"
/usr/lib/wine/wineserver -k 2>/dev/null || true
trap '/usr/lib/wine/wineserver -k 2>/dev/null || true' EXIT
tests/win32/with_xvfb.sh sh -c '/usr/lib/wine/wineserver -p && ctest --preset windows --no-tests=error'

