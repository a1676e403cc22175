#!/usr/bin/env bash
# Builds the pattern database fuzz target (fuzz preset, clang) and runs it for the
# number of seconds given as the first argument (default 60). It works on a copy of
# fuzz/corpus in build/fuzz, so what it finds stays out of the source tree; a crash
# leaves its reproducer in build/fuzz/artifacts/.
set -euo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-60}"
scripts/install-deps.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
cmake --build build/fuzz --target tvac_pattern_database_fuzz -j2

work=build/fuzz/run
mkdir -p "$work/corpus" build/fuzz/artifacts
cp -n fuzz/corpus/* "$work/corpus/"
build/fuzz/fuzz/tvac_pattern_database_fuzz "$work/corpus" \
  -max_total_time="$seconds" -max_len=8192 -timeout=10 -rss_limit_mb=2048 \
  -artifact_prefix=build/fuzz/artifacts/ -print_final_stats=1
