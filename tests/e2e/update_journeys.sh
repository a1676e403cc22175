#!/usr/bin/env bash
# What a user sees of the updates, done for real: tvac.exe under wine on a private
# Xvfb, talking to the loopback HTTP server of the Windows tests. Each journey
# publishes something, starts the program, and follows the update dialog to its end.
# Each prints PASS or FAIL with the reason; screenshots go to OUT_DIR. LOCALE as for
# journeys.sh.
#   tests/e2e/update_journeys.sh BUILD_DIR OUT_DIR [LOCALE]
set -euo pipefail
# shellcheck source=scripts/lib/wine-gui.sh
source "$(dirname "$0")/../../scripts/lib/wine-gui.sh"
gui_journey_args "$@"
gui_report_failures

for program in tvac.exe tests/win32/tvac_test_sleeper.exe; do
  [ -f "$build/$program" ] || { echo "$build/$program is missing: build everything" >&2; exit 1; }
done

gui_wine_env "$build/e2e/update-prefix-$TVAC_LOCALE"
server_root="$build/e2e/update-server-$TVAC_LOCALE"
server_pid=""
trap 'gui_stop_all; [ -z "$server_pid" ] || kill "$server_pid" 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM
rm -f "$out"/*.png

started=$SECONDS
echo "preparing: Xvfb, wine prefix $WINEPREFIX under $TVAC_LOCALE, the loopback server"
rm -rf "$server_root"
mkdir -p "$server_root/files"
python3 "$gui_repo/tests/win32/loopback_server.py" "$server_root" </dev/null >/dev/null 2>&1 &
server_pid=$!
gui_wait_until 10 "the loopback server listens" test -f "$server_root/port" || exit 1
server="127.0.0.1:$(cat "$server_root/port")"
gui_start_xvfb 80 89
gui_start_prefix
gui_keys_without_wm
gui_install_program "$build"
program_dir="$(gui_program_path)"
updates_key='HKCU\Software\TalvoAntiVirus\Updates'
echo "prepared in $((SECONDS - started)) s; the server is $server"

# --- helpers -------------------------------------------------------------------

# The sample database with another date line, and a section nobody reads that
# makes it large enough for its download to be watched.
database_dated() {
  python3 - "$gui_repo/res/sample/pattern.ini" "$1" <<'PY'
import sys
text = open(sys.argv[1], "rb").read().decode("cp949")
text = text.replace("2026.12.10", sys.argv[2])
text += "\r\n[Padding]\r\n" + "".join("P%d=%s\r\n" % (i, "x" * 200) for i in range(10000))
sys.stdout.buffer.write(text.encode("cp949"))
PY
}

# Publishes the update description: program version and URL, database version and URL.
publish() {
  printf '[UPDATE]\r\nVER=%s\r\nURL=%s\r\n[PATTERN]\r\nVER=%s\r\nURL=%s\r\n' "$@" \
    >"$server_root/files/updates.ini"
}

quit() {
  [ -n "$main_pid" ] && kill -0 "$main_pid" 2>/dev/null || return 0
  gui_key "$main_window" alt+F4 || true
  gui_wait_until 20 "tvac.exe ends" gui_process_gone "$main_pid"
}

# Visible windows of 400 x 200: the update dialog, or the message window after it.
dialogs() { gui_windows_sized 400x200 | wc -l; }
one_dialog() { [ "$(dialogs)" -eq 1 ]; }
no_dialogs() { [ "$(dialogs)" -eq 0 ]; }
dialog() { gui_windows_sized 400x200 | head -n 1; }

# The message window with TEXT as the only dialog; closes it with its button.
confirm_message() {
  local text=$1
  gui_wait_until 30 "the message '$text' shows" message_is "$text" || return 1
  gui_click "$(dialog)" 200 180 || return 1
  gui_wait_until 10 "the message closes" no_dialogs
}
message_is() { one_dialog && [ "$(gui_setting Message)" = "$1" ]; }

# The update dialog's bar and percentage differ from the offer's: the shot stays.
bar_moved() {
  gui_shot "$(dialog)" "$out/update-progress.png" || return 1
  [ "$(compare -metric AE -crop 420x20+30+110 "$out/update-offer.png" \
    "$out/update-progress.png" null: 2>&1 || true)" != 0 ]
}

reset() {
  quit || return 1
  gui_reset_settings
  gui_reg add "$gui_settings_key" /v Server /d "$server" /f
  gui_install_program "$build"
  rm -f "$program_dir/updates.ini" "$program_dir/tvac_update.exe"
}

# --- the journeys ----------------------------------------------------------------

journey_nothing_pending() {
  reset || return 1
  publish 0 0 0 0
  gui_launch_main || return 1
  sleep 3
  [ ! -e "$program_dir/updates.ini" ] || fail "updates.ini stayed with nothing pending" || return 1
  no_dialogs || fail "a dialog opened with nothing pending"
}

journey_database() {
  reset || return 1
  database_dated 2026.12.24 >"$server_root/files/pattern-new.ini"
  publish 0 0 1.0.7 "http://$server/slow/pattern-new.ini"
  gui_launch_main || return 1
  gui_wait_until 30 "the update dialog opens at start" one_dialog || return 1
  gui_shot "$main_window" "$out/database-before.png" || return 1
  gui_shot "$(dialog)" "$out/update-offer.png" || return 1
  gui_click "$(dialog)" 160 180 || return 1  # 시작
  gui_wait_until 15 "the bar moves" bar_moved || return 1
  gui_click "$(dialog)" 160 180 || return 1  # 시작 again: nothing more
  confirm_message "프로그램 업데이트를 성공적으로 완료하였습니다." || return 1
  cmp -s "$server_root/files/pattern-new.ini" "$program_dir/pattern.ini" ||
    fail "the new database is not in place" || return 1
  expect_eq "verPattern" "$(gui_reg_value "$updates_key" verPattern)" 1.0.7 || return 1
  [ ! -e "$program_dir/updates.ini" ] || fail "updates.ini stayed after the update" || return 1
  sleep 1.5
  gui_shot "$main_window" "$out/database-after.png" || return 1
  local l=16 t=374 w=300 h=13
  [ "$(compare -metric AE -crop "${w}x${h}+$l+$t" "$out/database-before.png" \
    "$out/database-after.png" null: 2>&1 || true)" != 0 ] ||
    fail "the database line did not change (see $out/database-after.png)" || return 1
  local downloads
  downloads=$(grep -c 'mode=update_ok' "$server_root/requests.log" || true)
  expect_eq "update_ok requests" "$downloads" 1
}

journey_automatic() {
  reset || return 1
  gui_reg add "$gui_settings_key" /v AutoUpdate /d True /f
  database_dated 2026.12.25 >"$server_root/files/pattern-auto.ini"
  publish 0 0 1.0.8 "http://$server/pattern-auto.ini"
  gui_launch_main || return 1
  confirm_message "프로그램 업데이트를 성공적으로 완료하였습니다." || return 1
  cmp -s "$server_root/files/pattern-auto.ini" "$program_dir/pattern.ini" ||
    fail "AutoUpdate did not put the new database in place"
}

journey_failing() {
  reset || return 1
  publish 0 0 1.0.9 "http://$server/missing.ini"
  gui_launch_main || return 1
  gui_wait_until 30 "the update dialog opens at start" one_dialog || return 1
  gui_click "$(dialog)" 160 180 || return 1
  confirm_message "업데이트를 완료하지 못하였습니다. 잠시 후 다시 시도하시기 바랍니다." || return 1
  cmp -s "$gui_repo/res/sample/pattern.ini" "$program_dir/pattern.ini" ||
    fail "the old database did not stay" || return 1
  expect_eq "verPattern after a failure" "$(gui_reg_value "$updates_key" verPattern)" ""
}

journey_program() {
  reset || return 1
  cp "$build/tests/win32/tvac_test_sleeper.exe" "$server_root/files/tvac_setup.exe"
  publish 3.0.0.1 "http://$server/tvac_setup.exe" 0 0
  gui_launch_main || return 1
  gui_wait_until 30 "the update dialog opens at start" one_dialog || return 1
  gui_click "$(dialog)" 160 180 || return 1
  gui_wait_until 30 "the message shows" message_is "프로그램 업데이트를 성공적으로 완료하였습니다." ||
    return 1
  sleep 1
  ! pgrep -f 'tvac_update\.exe' >/dev/null || fail "the installer started before the message closed" ||
    return 1
  cmp -s "$server_root/files/tvac_setup.exe" "$program_dir/tvac_update.exe" ||
    fail "the installer was not saved as tvac_update.exe" || return 1
  confirm_message "프로그램 업데이트를 성공적으로 완료하였습니다." || return 1
  gui_wait_until 10 "the installer starts once the message is closed" pgrep -f 'tvac_update\.exe' ||
    return 1
  pkill -f 'tvac_update\.exe' || true
  expect_eq "ver" "$(gui_reg_value "$updates_key" ver)" 3.0.0.1
}

gui_run_journey nothing-pending
gui_run_journey database
gui_run_journey automatic
gui_run_journey failing
gui_run_journey program
quit || true

echo "update journeys took $((SECONDS - started)) s; screenshots in $out"
[ ${#failed[@]} -eq 0 ] || { echo "failed: ${failed[*]}"; exit 1; }
