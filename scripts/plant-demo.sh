#!/usr/bin/env bash
# Plants the demonstration machine in the wine prefix PREFIX: some of the files,
# folders and registry items the sample database names, and a few traces in
# recently-used lists. The prefix must exist; a wineserver of it may be running.
#   scripts/plant-demo.sh PREFIX
set -euo pipefail
[ $# -eq 1 ] || { echo "usage: $0 PREFIX" >&2; exit 2; }

# shellcheck source=scripts/lib/wine-gui.sh
source "$(dirname "$0")/lib/wine-gui.sh"
gui_report_failures
gui_wine_env "$1"

# Files and folders the database names.
drive_c="$WINEPREFIX/drive_c"
test -d "$drive_c/windows" || { echo "$WINEPREFIX is not a wine prefix" >&2; exit 1; }
rm -rf "$drive_c/tvac-demo"
mkdir -p "$drive_c/tvac-demo/악성그룹" "$drive_c/tvac-demo/광고"
printf 'not really a program' > "$drive_c/tvac-demo/악성그룹/update.exe"
printf 'hello, world' > "$drive_c/windows/tvac-demo-hook.dll"  # 12 bytes

reg() { gui_reg add "$@" /f; }
reg 'HKCU\Software\TvacDemo\Run' /v Updater /d 'C:\tvac-demo\악성그룹\update.exe'
reg 'HKCU\Software\TvacDemo\Adware'

# Traces in recently-used lists.
reg 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU' /v a /d 'notepad\1'
reg 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\RunMRU' /v MRUList /d 'a'
reg 'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\ComDlg32\OpenSaveMRU' /v a \
  /d 'C:\문서\여행 계획.hwp'
reg 'HKCU\Software\Microsoft\Internet Explorer\TypedURLs' /v url1 /d 'http://example.com/'
reg 'HKCU\Software\GRETECH\GomPlayer\OPTION' /v sRecentFile /d 'D:\영화\가족 여행.avi'
