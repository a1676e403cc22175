#!/usr/bin/env bash
# What a user does with tvac.exe, done for real under wine on a private Xvfb with
# xdotool: start it, scan, hide it and start it again, close it with Alt+F4.
# Each journey prints PASS or FAIL with the reason; screenshots and logs go to
# OUT_DIR. The exit status is not 0 when any journey failed. LOCALE is the
# system's locale, and so wine's ANSI code page: C.UTF-8 (1252) unless given, or
# ko_KR.UTF-8 for a Korean system (949).
#   tests/e2e/journeys.sh BUILD_DIR OUT_DIR [LOCALE]
set -euo pipefail
[ $# -eq 2 ] || [ $# -eq 3 ] || { echo "usage: $0 BUILD_DIR OUT_DIR [LOCALE]" >&2; exit 2; }
build=$(cd "$1" && pwd)
mkdir -p "$2"
out=$(cd "$2" && pwd)
export TVAC_LOCALE=${3:-C.UTF-8}
# shellcheck source=scripts/lib/wine-gui.sh
source "$(dirname "$0")/../../scripts/lib/wine-gui.sh"
gui_report_failures

for program in tvac.exe tvac-scan.exe; do
  [ -f "$build/$program" ] || { echo "$build/$program is missing: build tvac and tvac-scan" >&2; exit 1; }
done
for tool in Xvfb xdotool xwininfo xdpyinfo import convert iconv; do
  command -v "$tool" >/dev/null || { echo "$tool is missing: run scripts/install-deps.sh" >&2; exit 1; }
done
locale -a 2>/dev/null | grep -qix "$(echo "$TVAC_LOCALE" | sed 's/\.UTF-8$/.utf8/I')" ||
  { echo "the locale $TVAC_LOCALE is not generated: run scripts/install-deps.sh" >&2; exit 1; }

# The prefix is this script's alone; one run at a time. The lock is a folder
# holding the owner's pid, taken over when that process is gone.
mkdir -p "$build/e2e"
lock="$build/e2e/lock"
take_lock() {
  mkdir "$lock" 2>/dev/null && echo $$ >"$lock/pid" && return 0
  local owner
  owner=$(cat "$lock/pid" 2>/dev/null || true)
  if [ -n "$owner" ] && ! kill -0 "$owner" 2>/dev/null; then
    rm -rf "$lock"
  fi
  return 1
}
gui_wait_until 120 "no other run of the journeys holds $lock" take_lock || exit 1

# Before the trap: what it stops must be this script's prefix, not one the caller
# exported.
# A prefix a locale, since a prefix keeps what its first start decoded.
gui_wine_env "$build/e2e/wineprefix-$TVAC_LOCALE"
trap 'gui_stop_all; rm -rf "$lock"' EXIT
trap 'exit 130' INT TERM
rm -f "$out"/*.png "$out"/scan.tsv

started=$SECONDS
echo "preparing: Xvfb, wine prefix $WINEPREFIX under $TVAC_LOCALE, demonstration items"
gui_start_xvfb 90 99
gui_start_prefix
gui_keys_without_wm
gui_reset_settings
"$gui_repo/scripts/plant-demo.sh" "$WINEPREFIX"
gui_install_program "$build"

# What the console scanner finds on the same machine is what the window must report.
scan_status=0
(cd "$WINEPREFIX/drive_c/Program Files/Talvo" &&
  timeout 120 "$wine" "$gui_program_dir\\tvac-scan.exe" --tsv >"$out/scan.tsv" 2>/dev/null) || scan_status=$?
expected_rows=$(grep -c '' "$out/scan.tsv" || true)
if [ "$scan_status" -ne 1 ] || [ "$expected_rows" -eq 0 ]; then
  echo "FAIL preparing: tvac-scan.exe exited $scan_status with $expected_rows rows on the demonstration machine" \
    "(expected 1 and some rows; see $out/scan.tsv)"
  exit 1
fi
echo "prepared in $((SECONDS - started)) s; tvac-scan.exe finds $expected_rows rows"

# --- checks -------------------------------------------------------------------

fail() { gui_log "$*"; return 1; }

expect_eq() {
  local what=$1 actual=$2 expected=$3
  [ "$actual" = "$expected" ] || fail "$what: got '$actual', expected '$expected'"
}

tray_icon_shown() {
  [ -n "$(xdotool search --onlyvisible --name '^Wine System Tray$' 2>/dev/null)" ]
}
tray_icon_gone() { ! tray_icon_shown; }

# Distinct colours where the result list draws its rows (inside its border, clear
# of the scroll bars), in the main window screenshot FILE, up to the client x RIGHT
# when given: an empty list is one flat colour, rows bring icons, text and striped
# backgrounds.
list_colours() {
  local l=$((gui_result_list[0] + 2)) t=$((gui_result_list[1] + 2))
  local r=${2:-$((gui_result_list[2] - 19))} b=$((gui_result_list[3] - 19))
  convert "$1" -crop "$((r - l))x$((b - t))+$l+$t" +repage -format %k info:
}

# The list shows rows in FILE (left of client x RIGHT when given).
list_shows_rows() {
  [ "$(list_colours "$@")" -gt $((empty_list_colours + 10)) ]
}

# Screenshot of the main window with the message window over it, once the list
# beside the message window shows the rows.
shoot_message_over_rows() {
  gui_shot "$main_window" "$out/scan-message.png"
  list_shows_rows "$out/scan-message.png" $(((560 - 400) / 2))
}

shoot_rows_after_scan() {
  gui_shot "$main_window" "$out/scan-done.png" && list_shows_rows "$out/scan-done.png"
}

main_window=""
main_pid=""
empty_list_colours=""

journey_start() {
  gui_launch
  main_pid=$gui_last_pid
  gui_wait_until 30 "the main window shows" gui_main_window_shown || return 1
  main_window=$(gui_main_window)
  local screen_width screen_height
  read -r screen_width screen_height < <(xdotool getdisplaygeometry)
  gui_geometry "$main_window" || return 1
  expect_eq "main window size" "${WIDTH}x${HEIGHT}" 560x440 || return 1
  expect_eq "main window place" "$X,$Y" \
    "$(((screen_width - 560) / 2)),$(((screen_height - 440) / 2))" || return 1
  gui_wait_until 10 "the tray icon shows" tray_icon_shown || return 1
  local tray
  tray=$(xdotool search --onlyvisible --name '^Wine System Tray$' | head -n 1)
  import -window "$tray" "$out/tray.png"
  [ "$(convert "$out/tray.png" -format %k info:)" -gt 2 ] ||
    fail "the tray window shows no icon (see $out/tray.png)" || return 1
  gui_shot "$main_window" "$out/start.png" || return 1
  empty_list_colours=$(list_colours "$out/start.png")
  [ "$empty_list_colours" -le 2 ] ||
    fail "the result list is not empty before any scan (see $out/start.png)"
}

journey_scan() {
  local day_before day_after message expected
  day_before=$(date +%Y.%m.%d)
  gui_click "$main_window" "${gui_scan_button[@]}" || return 1
  gui_wait_until 60 "the message window shows after the scan" gui_message_shown || return 1
  day_after=$(date +%Y.%m.%d)
  local message_window
  message_window=$(gui_message_window)
  gui_wait_until 5 "the result list shows rows beside the message window" \
    shoot_message_over_rows || return 1
  gui_geometry "$message_window" || return 1
  local screen_width screen_height
  read -r screen_width screen_height < <(xdotool getdisplaygeometry)
  expect_eq "message window place" "$X,$Y" \
    "$(((screen_width - 400) / 2)),$(((screen_height - 200) / 2))" || return 1

  expected="검사결과 총 ${expected_rows}개의 항목이 발견 되었습니다."
  message=$(gui_setting Message)
  expect_eq "Message after the scan" "$message" "$expected" || return 1
  local last_scan
  last_scan=$(gui_setting LastScan)
  [ "$last_scan" = "$day_before" ] || [ "$last_scan" = "$day_after" ] ||
    fail "LastScan after the scan: got '$last_scan', expected '$day_after'" || return 1

  gui_click "$message_window" "${gui_message_confirm[@]}" || return 1
  gui_wait_until 10 "the message window closes after a click on 확인" gui_message_gone || return 1
  gui_main_window_shown || fail "the main window went away with the message window" || return 1
  # The main window repaints where the message window was.
  gui_wait_until 5 "the result list shows rows after the scan (see $out/scan-done.png)" \
    shoot_rows_after_scan
}

journey_second_launch() {
  gui_click "$main_window" "${gui_hide_spot[@]}" || return 1
  gui_wait_until 10 "the main window hides after a click on the hide spot" gui_main_window_gone ||
    return 1
  gui_wait_until 10 "Tray reads True" gui_setting_is Tray True || return 1
  tray_icon_shown || fail "the tray icon went away with the window" || return 1

  gui_launch
  local second=$gui_last_pid status=0
  gui_wait_until 15 "the second tvac.exe ends by itself" gui_process_gone "$second" || return 1
  wait "$second" || status=$?
  expect_eq "exit status of the second tvac.exe" "$status" 0 || return 1
  gui_wait_until 10 "the first window shows again" gui_main_window_shown || return 1
  expect_eq "the window shown" "$(gui_main_window)" "$main_window" || return 1
  kill -0 "$main_pid" 2>/dev/null || fail "the first tvac.exe ended" || return 1
  expect_eq "main windows" "$(xdotool search --onlyvisible --name "$gui_main_title" | wc -l)" 1 ||
    return 1
  expect_eq "Tray after the second start" "$(gui_setting Tray)" False || return 1
  gui_shot "$main_window" "$out/second-launch.png"
}

journey_exit() {
  # A crash may leave Tray at True; a closing program puts it back.
  gui_reg add "$gui_settings_key" /v Tray /d True /f
  gui_key "$main_window" alt+F4 || fail "Alt+F4 did not reach the main window" || return 1
  gui_wait_until 20 "tvac.exe ends after Alt+F4" gui_process_gone "$main_pid" || return 1
  local status=0
  wait "$main_pid" || status=$?
  expect_eq "exit status of tvac.exe" "$status" 0 || return 1
  expect_eq "Tray after the exit" "$(gui_setting Tray)" False || return 1
  gui_main_window_gone || fail "the main window outlived the program" || return 1
  gui_wait_until 10 "the tray icon goes" tray_icon_gone
}

# --- the journeys ---------------------------------------------------------------

failed=()
run_journey() {
  local name=$1 began=$SECONDS
  if [ ${#failed[@]} -gt 0 ] && [ "${failed[0]}" = start ]; then
    echo "FAIL $name: not run, the program did not start"
    failed+=("$name")
    return
  fi
  if "journey_${name//-/_}"; then
    echo "PASS $name ($((SECONDS - began)) s)"
  else
    echo "FAIL $name ($((SECONDS - began)) s); screenshots in $out"
    import -window root "$out/fail-$name.png" 2>/dev/null || true
    failed+=("$name")
  fi
}

run_journey start
run_journey scan
run_journey second-launch
run_journey exit

echo "journeys took $((SECONDS - started)) s; screenshots in $out"
[ ${#failed[@]} -eq 0 ] || { echo "failed: ${failed[*]}"; exit 1; }
