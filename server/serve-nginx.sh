#!/usr/bin/env bash
# Serves a published tree with nginx in the foreground, with server/nginx.conf:
#   server/serve-nginx.sh PREFIX ROOT LISTEN LOGDIR
# PREFIX is nginx's own folder (created when missing): the filled-in nginx.conf, the
# pid file, the error log and the temporary folders. ROOT, LISTEN and LOGDIR fill
# the template's placeholders (see its head); the workers run as TVAC_NGINX_USER
# ("user group"; www-data www-data by default) when this is started as root. nginx
# replaces this script's process: stop it with SIGQUIT (finishes what it serves and
# writes its logs) or SIGTERM.
set -euo pipefail
if [ $# -ne 4 ]; then
  echo "usage: server/serve-nginx.sh PREFIX ROOT LISTEN LOGDIR" >&2
  exit 2
fi
prefix=$(realpath -m "$1")
root=$(realpath -m "$2")
listen=$3
logdir=$(realpath -m "$4")
user=${TVAC_NGINX_USER:-www-data www-data}
nginx=$(command -v nginx || echo /usr/sbin/nginx)

for value in "$root" "$listen" "$logdir" "$user"; do
  case $value in
    *[\|\;\{\}\'\"]*) echo "serve-nginx.sh: $value: no | ; { } or quotes, please" >&2; exit 2 ;;
  esac
done
mkdir -p "$prefix" "$logdir"
sed -e "s|@ROOT@|$root|g" -e "s|@LISTEN@|$listen|g" -e "s|@LOGDIR@|$logdir|g" \
  -e "s|@USER@|$user|g" "$(dirname "$0")/nginx.conf" >"$prefix/nginx.conf"
exec "$nginx" -p "$prefix/" -c "$prefix/nginx.conf" -g 'daemon off;'
