#!/usr/bin/env bash
# Runs a command against the update server as it is deployed: a tree published with
# the host-built tvac-publish, served by nginx with server/nginx.conf.
#   with_nginx.sh WORK_DIR TVAC_PUBLISH [--stats MODE=N,...] COMMAND...
# It builds the sample database from res/sample/signatures.txt, publishes it as
# database 1.0.6 with a stand-in installer as program 3.8.16.54, and starts nginx on
# a free loopback port. The command finds the server in TVAC_TEST_SERVER
# (127.0.0.1:port), WORK_DIR in TVAC_TEST_ROOT (a Windows path through wine's Z:
# drive; the tree is in site\, the logs in logs\) and the published versions in
# TVAC_TEST_PATTERN_VERSION and TVAC_TEST_PROGRAM_VERSION. Once it ends, nginx is
# stopped, and with --stats the statistics events that server/stats-report.py counts
# in nginx's log, all days together, must be exactly those named.
set -euo pipefail
work=$1
publish=$2
shift 2
expected_stats=""
if [ "${1:-}" = --stats ]; then
  expected_stats=$2
  shift 2
fi
repo=$(cd "$(dirname "$0")/../.." && pwd)
if [ ! -x "$publish" ]; then
  echo "with_nginx.sh: $publish is missing: build the host preset first" \
    "(cmake --preset host && cmake --build --preset host), or set TVAC_HOST_TOOLS" >&2
  exit 1
fi

rm -rf "$work"
mkdir -p "$work"
"$publish" build "$repo/res/sample/signatures.txt" "$work/pattern.ini" >/dev/null
printf 'MZ stand-in for the program installer\r\n' >"$work/setup.exe"
export TVAC_TEST_PATTERN_VERSION=1.0.6 TVAC_TEST_PROGRAM_VERSION=3.8.16.54
# Started as root, the workers read the tree as whoever runs the test.
export TVAC_NGINX_USER="$(id -un) $(id -gn)"

nginx_pid=""
stop_nginx() {
  if [ -n "$nginx_pid" ]; then
    # A graceful stop: what was served is in the logs once nginx has ended.
    kill -QUIT "$nginx_pid" 2>/dev/null || true
    wait "$nginx_pid" 2>/dev/null || true
    nginx_pid=""
  fi
}
trap stop_nginx EXIT

listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

# Another program may take the chosen port before nginx binds it: then another one.
for _ in 1 2 3 4 5; do
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  rm -rf "$work/site" "$work/logs" "$work/nginx"
  "$publish" site --db "$work/pattern.ini" --db-version "$TVAC_TEST_PATTERN_VERSION" \
    --installer "$work/setup.exe" --version "$TVAC_TEST_PROGRAM_VERSION" \
    --base-url "http://127.0.0.1:$port" "$work/site" >/dev/null
  "$repo/server/serve-nginx.sh" "$work/nginx" "$work/site" "127.0.0.1:$port" "$work/logs" \
    </dev/null >/dev/null 2>"$work/nginx.err" &
  nginx_pid=$!
  for _ in $(seq 200); do
    listening "$port" && break
    kill -0 "$nginx_pid" 2>/dev/null || break
    sleep 0.05
  done
  listening "$port" && break
  stop_nginx
done
if [ -z "$nginx_pid" ]; then
  echo "with_nginx.sh: nginx did not start:" >&2
  cat "$work/nginx.err" >&2
  exit 1
fi

export TVAC_TEST_SERVER="127.0.0.1:$port"
export TVAC_TEST_ROOT="Z:${work//\//\\}"
status=0
"$@" || status=$?
stop_nginx
[ "$status" -eq 0 ] || exit "$status"

if [ -n "$expected_stats" ]; then
  counted=$(python3 "$repo/server/stats-report.py" --tsv "$work/logs/stats.log" |
    awk -F'\t' '{ n[$2] += $3 } END { for (m in n) print m "=" n[m] }' | sort | paste -sd, -)
  expected=$(tr , '\n' <<<"$expected_stats" | sort | paste -sd, -)
  if [ "$counted" != "$expected" ]; then
    echo "with_nginx.sh: the statistics log counts ${counted:-nothing}, expected $expected" >&2
    exit 1
  fi
  echo "with_nginx.sh: the statistics log counts $counted"
fi
