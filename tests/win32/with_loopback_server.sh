#!/usr/bin/env bash
# Runs a command with the loopback HTTP server up: with_loopback_server.sh ROOT COMMAND...
# The command finds the server in TVAC_TEST_SERVER (127.0.0.1:port) and its folder
# in TVAC_TEST_ROOT (a Windows path through wine's Z: drive).
set -euo pipefail
root=$1
shift
rm -rf "$root"
mkdir -p "$root/files"
python3 "$(dirname "$0")/loopback_server.py" "$root" </dev/null >/dev/null 2>&1 &
server=$!
trap 'kill $server 2>/dev/null || true' EXIT
for _ in $(seq 100); do
  [ -f "$root/port" ] && break
  sleep 0.05
done
[ -f "$root/port" ] || { echo "the loopback server did not start" >&2; exit 1; }
export TVAC_TEST_SERVER="127.0.0.1:$(cat "$root/port")"
export TVAC_TEST_ROOT="Z:${root//\//\\}"
"$@"
