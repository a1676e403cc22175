#!/usr/bin/env bash
# Builds the libFuzzer targets (fuzz preset, clang) and runs each in turn:
#
#   scripts/fuzz.sh [SECONDS | -runs=N] [TARGET...]
#
# SECONDS (default 60) limits each target's run in time, -runs=N in inputs. TARGET
# is pattern_database (the INI reader and the pattern database, seeds in
# fuzz/corpus/) or update_description (updates.ini through the update check and
# the update worker, seeds in fuzz/corpus-updates/); without one both run. Each
# target works on a copy of its seeds in build/fuzz/run/TARGET/, so what it finds
# stays out of the source tree; a crash leaves its reproducer in
# build/fuzz/artifacts/TARGET/ and makes the script fail once every target has run.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-max_total_time=60)
case "${1:-}" in
  -runs=[0-9]*) limit=("$1"); shift ;;
  [0-9]*) limit=(-max_total_time="$1"); shift ;;
  -*) echo "usage: $0 [SECONDS | -runs=N] [pattern_database|update_description ...]" >&2; exit 2 ;;
esac
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(pattern_database update_description)

declare -A seeds=([pattern_database]=fuzz/corpus [update_description]=fuzz/corpus-updates)
# Inputs up to this size: a database needs room for many entries, an update
# description for a few values longer than the 259 bytes the agent reads of each.
declare -A max_len=([pattern_database]=8192 [update_description]=4096)
for target in "${targets[@]}"; do
  if [ -z "${seeds[$target]:-}" ]; then
    echo "$0: unknown target $target" >&2
    exit 2
  fi
done

scripts/install-deps.sh clang libclang-rt-14-dev
cmake --preset fuzz >/dev/null
programs=()
for target in "${targets[@]}"; do programs+=("tvac_${target}_fuzz"); done
cmake --build build/fuzz -j2 --target "${programs[@]}"
failed=()
for target in "${targets[@]}"; do
  work=build/fuzz/run/$target
  artifacts=build/fuzz/artifacts/$target
  mkdir -p "$work/corpus" "$artifacts"
  cp -n "${seeds[$target]}"/* "$work/corpus/"
  echo "== $target: ${limit[*]}, corpus $work/corpus"
  start=$(date +%s)
  if ! build/fuzz/fuzz/tvac_${target}_fuzz "$work/corpus" "${limit[@]}" \
      -max_len="${max_len[$target]}" -timeout=10 -rss_limit_mb=2048 \
      -artifact_prefix="$artifacts/" -print_final_stats=1; then
    failed+=("$target")
  fi
  echo "== $target: $(($(date +%s) - start)) s, corpus of $(ls "$work/corpus" | wc -l) inputs"
done
if [ ${#failed[@]} -gt 0 ]; then
  echo "Findings in: ${failed[*]} (reproducers in build/fuzz/artifacts/)" >&2
  exit 1
fi
