#!/usr/bin/env bash
# Builds tvac-scan.exe and scans a demonstration machine with it: a wine prefix of
# its own, holding some of the items the sample database names and a few privacy
# traces. The sample database goes beside the program, where it looks by default.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tvac-scan >/dev/null
cp res/sample/pattern.ini build/windows/pattern.ini

export WINEPREFIX="$PWD/build/demo/wineprefix"
export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL=C.UTF-8
wine=/usr/lib/wine/wine64
mkdir -p "$WINEPREFIX"
"$wine" wineboot --init </dev/null >/dev/null 2>&1 || true

# Files and folders the database names.
drive_c="$WINEPREFIX/drive_c"
rm -rf "$drive_c/tvac-demo"
mkdir -p "$drive_c/tvac-demo/악성그룹" "$drive_c/tvac-demo/광고"
printf 'not really a program' > "$drive_c/tvac-demo/악성그룹/update.exe"
printf 'hello, world' > "$drive_c/windows/tvac-demo-hook.dll"  # 12 bytes

reg() { "$wine" reg add "$@" /f </dev/null >/dev/null 2>&1; }
reg 'HKCU\Software\TvacDemo\Run' /v Updater /d 'C:\tvac-demo\악성그룹\update.exe'
reg 'HKCU\Software\TvacDemo\Adware'

# Traces in recently-used lists.
reg 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU' /v a /d 'notepad\1'
reg 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU' /v MRUList /d 'a'
reg 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU' /v a \
  /d 'C:\문서\여행 계획.hwp'
reg 'HKCU\Software\Microsoft\Internet Explorer\TypedURLs' /v url1 /d 'http://example.com/'
reg 'HKCU\Software\GRETECH\GomPlayer\OPTION' /v sRecentFile /d 'D:\영화\가족 여행.avi'

status=0
"$wine" build/windows/tvac-scan.exe "$@" || status=$?
# 1 means the scan found something, which is what this demonstration expects.
[ "$status" -le 1 ] || exit "$status"
