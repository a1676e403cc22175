#!/usr/bin/env bash
# The installer, done for real under wine on a private Xvfb, in a fresh prefix:
# a silent install and what it leaves (files, shortcut, the installed-programs
# entry, the Run value), the installed agent scanning, an upgrade while the agent
# runs, a database published with tvac-publish and fetched from nginx by the
# installed agent, an upgrade over an older database, the uninstaller, a first
# install through the wizard as a user sees it, and the uninstaller's pages and
# question. Each journey prints PASS or FAIL with the reason; screenshots go to
# OUT_DIR. LOCALE as for journeys.sh. The publisher's tool comes from the host
# build, TVAC_HOST_TOOLS (build/host unless given).
#   tests/e2e/installer_journeys.sh BUILD_DIR OUT_DIR [LOCALE]
set -euo pipefail
# shellcheck source=scripts/lib/wine-gui.sh
source "$(dirname "$0")/../../scripts/lib/wine-gui.sh"
gui_journey_args "$@"
gui_report_failures

setup="$build/tvac-setup-3.0.exe"
# The publisher's tool, from the host build.
publish="${TVAC_HOST_TOOLS:-$gui_repo/build/host}/tvac-publish"
for file in "$setup" "$build/tvac.exe" "$build/tvac-scan.exe" "$publish"; do
  [ -f "$file" ] || { echo "$file is missing: build everything" >&2; exit 1; }
done

gui_wine_env "$build/e2e/installer-prefix-$TVAC_LOCALE"
# Wine would also put the shortcut on the Unix desktop's menus.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES,winemenubuilder.exe=d"
nginx_pid=""
trap 'gui_stop_all; [ -z "$nginx_pid" ] || kill -QUIT "$nginx_pid" 2>/dev/null || true' EXIT
trap 'exit 130' INT TERM
rm -f "$out"/*.png

started=$SECONDS
echo "preparing: Xvfb, a fresh wine prefix $WINEPREFIX under $TVAC_LOCALE"
"$wineserver" -k 2>/dev/null || true
rm -rf "$WINEPREFIX"
gui_start_xvfb 70 79
gui_start_prefix
gui_keys_without_wm
program_dir="$(gui_program_path)"
shortcut="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/탈보안티바이러스.lnk"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\TalvoAntiVirus'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
updates_key='HKCU\Software\TalvoAntiVirus\Updates'
quoted_program="\"$gui_program_dir\\tvac.exe\""
echo "prepared in $((SECONDS - started)) s"

# --- helpers -------------------------------------------------------------------

# Runs the installer with ARGS and waits for it to end.
install() {
  timeout 120 "$wine" "Z:${setup//\//\\}" "$@" </dev/null >/dev/null 2>&1 ||
    fail "the installer $* ended with status $?"
}

# The number a DWORD value holds (empty when absent).
reg_dword() {
  local output
  output=$(timeout 60 "$wine" reg query "$1" /v "$2" </dev/null 2>/dev/null | tr -d '\r') || return 0
  printf '%d\n' "$(echo "$output" | awk -v n="$2" '$1 == n && $2 == "REG_DWORD" { print $3 }')"
}

reg_key_exists() { timeout 60 "$wine" reg query "$1" </dev/null >/dev/null 2>&1; }
reg_key_gone() { ! reg_key_exists "$1"; }

# The sample database with another date on its date line.
database_dated() {
  python3 - "$gui_repo/res/sample/pattern.ini" "$1" <<'PY'
import re, sys
text = open(sys.argv[1], "rb").read()
sys.stdout.buffer.write(re.sub(rb"\d{4}\.\d\d\.\d\d", sys.argv[2].encode(), text, count=1))
PY
}

# A tvac.exe that the installer started, not this script.
agent_running() { pgrep -f 'Talvo AntiVirus.tvac\.exe' >/dev/null; }
agent_gone() { ! agent_running; }

# --- the journeys ----------------------------------------------------------------

journey_silent_install() {
  install /S || return 1
  local file
  for file in tvac.exe sound.wav update.wav uninstall.exe; do
    [ -f "$program_dir/$file" ] || fail "$file is not installed" || return 1
  done
  cmp -s "$build/tvac.exe" "$program_dir/tvac.exe" || fail "tvac.exe differs from the build" || return 1
  cmp -s "$gui_repo/res/sample/pattern.ini" "$program_dir/pattern.ini" ||
    fail "the installed database is not the one the installer carries" || return 1
  [ -f "$shortcut" ] || fail "no Start-menu shortcut at $shortcut" || return 1

  expect_eq "DisplayName" "$(gui_reg_value "$uninstall_key" DisplayName)" "탈보안티바이러스" || return 1
  expect_eq "DisplayVersion" "$(gui_reg_value "$uninstall_key" DisplayVersion)" "3.0" || return 1
  expect_eq "Publisher" "$(gui_reg_value "$uninstall_key" Publisher)" "Talvo" || return 1
  expect_eq "UninstallString" "$(gui_reg_value "$uninstall_key" UninstallString)" \
    "\"$gui_program_dir\\uninstall.exe\"" || return 1
  local size
  size=$(reg_dword "$uninstall_key" EstimatedSize)
  # The program alone is some megabytes; the size is in KiB.
  [ "${size:-0}" -gt 1000 ] || fail "EstimatedSize: got '$size' KiB" || return 1
  expect_eq "Run value" "$(gui_reg_value "$run_key" TalvoAntiVirus)" "$quoted_program" || return 1
  expect_eq "recorded program version" "$(gui_reg_value "$updates_key" ver)" "3.0"
}

journey_installed_scan() {
  gui_reg add "$gui_settings_key" /v Server /d 127.0.0.1:1 /f || return 1
  "$gui_repo/scripts/plant-demo.sh" "$WINEPREFIX" >/dev/null
  local expected_rows
  expected_rows=$(cd "$program_dir" && timeout 120 "$wine" "Z:${build//\//\\}\\tvac-scan.exe" --tsv \
    --db "$gui_program_dir\\pattern.ini" </dev/null 2>/dev/null | wc -l) || true
  [ "$expected_rows" -gt 0 ] || fail "the console scanner found nothing on the planted machine" ||
    return 1
  gui_launch_main || return 1
  gui_shot "$main_window" "$out/installed-start.png" || return 1
  gui_click "$main_window" "${gui_scan_button[@]}" || return 1
  gui_wait_until 60 "the message window shows after the scan" gui_message_shown || return 1
  expect_eq "Message after the scan" "$(gui_setting Message)" \
    "검사결과 총 ${expected_rows}개의 항목이 발견 되었습니다." || return 1
  gui_shot "$main_window" "$out/installed-scan.png" || return 1
  gui_click "$(gui_message_window)" "${gui_message_confirm[@]}" || return 1
  gui_wait_until 10 "the message window closes" gui_message_gone
}

journey_upgrade_running() {
  kill -0 "$main_pid" 2>/dev/null || fail "the agent of the last journey is not running" || return 1
  local last_scan
  gui_reg add "$gui_settings_key" /v Agent /d True /f || return 1
  last_scan=$(gui_setting LastScan)
  # The user had turned "start with Windows" off; the database is newer than the
  # installer's; a sound was damaged.
  gui_reg delete "$run_key" /v TalvoAntiVirus /f
  database_dated 2099.01.01 >"$out/pattern-newer.ini"
  cp "$out/pattern-newer.ini" "$program_dir/pattern.ini"
  printf 'damaged' >"$program_dir/sound.wav"

  install /S || return 1
  gui_process_gone "$main_pid" || gui_wait_until 10 "the old agent ends" gui_process_gone "$main_pid" ||
    fail "the old agent still runs after the upgrade" || return 1
  gui_wait_until 30 "the new agent's window shows" gui_main_window_shown || return 1
  agent_running || fail "no tvac.exe runs after the upgrade" || return 1
  main_window=$(gui_main_window)

  cmp -s "$gui_repo/res/sound.wav" "$program_dir/sound.wav" || fail "sound.wav was not replaced" ||
    return 1
  cmp -s "$out/pattern-newer.ini" "$program_dir/pattern.ini" ||
    fail "the newer database was replaced" || return 1
  expect_eq "Agent after the upgrade" "$(gui_setting Agent)" True || return 1
  expect_eq "LastScan after the upgrade" "$(gui_setting LastScan)" "$last_scan" || return 1
  expect_eq "Run value after the upgrade" "$(gui_reg_value "$run_key" TalvoAntiVirus)" "" || return 1
  gui_shot "$main_window" "$out/upgraded.png"
}

# What a publisher does, two commands from the signature list to a served update,
# and what the installed agent then does with it: it offers the new database at
# start, and "시작" puts it in place.
journey_nginx_update() {
  local work="$out/publisher" port
  rm -rf "$work"
  mkdir -p "$work"
  sed 's/^date .*/date "2026.12.31"/' "$gui_repo/res/sample/signatures.txt" >"$work/signatures.txt"
  "$publish" build "$work/signatures.txt" "$work/pattern.ini" >/dev/null || return 1
  port=$(python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
  "$publish" site --db "$work/pattern.ini" --db-version 1.0.7 \
    --base-url "http://127.0.0.1:$port" "$work/site" >/dev/null || return 1
  TVAC_NGINX_USER="$(id -un) $(id -gn)" "$gui_repo/server/serve-nginx.sh" "$work/nginx" \
    "$work/site" "127.0.0.1:$port" "$work/logs" </dev/null >/dev/null 2>&1 &
  nginx_pid=$!
  gui_wait_until 10 "nginx listens on $port" listening "$port" || return 1

  gui_key "$main_window" alt+F4 || true
  # Its process too: a start while it is still ending would hand over to it.
  gui_wait_until 20 "the agent ends" agent_gone || return 1
  gui_reg add "$gui_settings_key" /v Server /d "127.0.0.1:$port" /f || return 1
  gui_launch_main || return 1
  gui_wait_until 30 "the update dialog offers the database" gui_message_shown || return 1
  gui_click "$(gui_message_window)" 160 180 || return 1  # 시작
  gui_wait_until 30 "the update completes" gui_setting_is Message \
    "프로그램 업데이트를 성공적으로 완료하였습니다." || return 1
  gui_wait_until 10 "the completion message shows" gui_message_shown || return 1
  gui_click "$(gui_message_window)" "${gui_message_confirm[@]}" || return 1
  gui_wait_until 10 "the message closes" gui_message_gone || return 1
  cmp -s "$work/pattern.ini" "$program_dir/pattern.ini" ||
    fail "the database served by nginx is not the one in place" || return 1
  expect_eq "verPattern" "$(gui_reg_value "$updates_key" verPattern)" 1.0.7 || return 1
  sleep 2  # the date line follows a second after the download
  gui_shot "$main_window" "$out/nginx-updated.png" || return 1
  python3 "$gui_repo/server/stats-report.py" --tsv "$work/logs/stats.log" 2>/dev/null |
    grep -q $'\tupdate_ok\t1$' || fail "nginx's log holds no update_ok event"
}
listening() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

journey_older_database() {
  gui_key "$main_window" alt+F4 || true
  gui_wait_until 20 "the agent ends" gui_main_window_gone || return 1
  database_dated 2000.01.01 >"$program_dir/pattern.ini"
  install /S || return 1
  cmp -s "$gui_repo/res/sample/pattern.ini" "$program_dir/pattern.ini" ||
    fail "an older database was kept" || return 1
  ! agent_running || fail "the installer started an agent that was not running" || return 1
}

# A first install in the user's hands: every page in Korean, "start with Windows"
# on, the installed agent started from the last page.
journey_wizard() {
  (exec "$wine" "Z:${setup//\//\\}" </dev/null >/dev/null 2>&1) &
  local wizard_pid=$! window page
  gui_started_pids+=("$wizard_pid")
  gui_wait_until 30 "the installer's window shows" wizard_shown || return 1
  window=$(wizard_window)
  for page in welcome components folder; do
    sleep 1
    gui_shot "$window" "$out/wizard-$page.png" || return 1
    gui_key "$window" Return || return 1
  done
  gui_wait_until 60 "the last page shows" wizard_done || return 1
  sleep 1
  gui_shot "$window" "$out/wizard-finish.png" || return 1
  gui_key "$window" Return || return 1
  gui_wait_until 30 "the installer ends" gui_process_gone "$wizard_pid" || return 1
  gui_wait_until 30 "the agent started from the last page shows" gui_main_window_shown || return 1
  main_window=$(gui_main_window)
  expect_eq "Run value after the wizard" "$(gui_reg_value "$run_key" TalvoAntiVirus)" \
    "$quoted_program"
}
wizard_window() {
  xdotool search --onlyvisible --name '^탈보안티바이러스 3\.0 설치$' 2>/dev/null | head -n 1
}
wizard_shown() { [ -n "$(wizard_window)" ]; }
# The last page has no "설치" step left: the agent's files are all in place.
wizard_done() { [ -f "$program_dir/uninstall.exe" ] && reg_key_exists "$uninstall_key"; }

journey_uninstall() {
  gui_launch_main || return 1
  printf 'the user keeps this' >"$program_dir/notes.txt"
  timeout 60 "$wine" "$gui_program_dir\\uninstall.exe" /S </dev/null >/dev/null 2>&1 || true
  # The uninstaller goes on from a copy of itself.
  gui_wait_until 60 "uninstall.exe is gone" test ! -e "$program_dir/uninstall.exe" || return 1
  gui_wait_until 30 "the installed-programs entry is gone" reg_key_gone "$uninstall_key" || return 1
  gui_wait_until 30 "the agent ends" gui_main_window_gone || return 1
  ! agent_running || fail "the agent still runs after the uninstall" || return 1
  local left
  left=$(cd "$program_dir" && ls)
  expect_eq "what stays in the program's folder" "$left" notes.txt || return 1
  [ ! -e "$shortcut" ] || fail "the shortcut stayed" || return 1
  expect_eq "Run value after the uninstall" "$(gui_reg_value "$run_key" TalvoAntiVirus)" "" || return 1
  # A silent uninstall answers the question about the settings with no.
  expect_eq "Agent after the uninstall" "$(gui_setting Agent)" True
}

# The uninstaller in the user's hands, answering yes to its question: the
# settings go too.
journey_uninstall_asked() {
  (exec "$wine" "$gui_program_dir\\uninstall.exe" </dev/null >/dev/null 2>&1) &
  gui_started_pids+=("$!")
  gui_wait_until 30 "the uninstaller's window shows" uninstaller_shown || return 1
  sleep 1
  gui_shot "$(uninstaller_window)" "$out/uninstall-confirm.png" || return 1
  gui_key "$(uninstaller_window)" Return || return 1
  gui_wait_until 60 "the question about the settings shows" question_shown || return 1
  gui_shot "$(question_window)" "$out/uninstall-question.png" || return 1
  gui_key "$(question_window)" y || return 1
  gui_wait_until 30 "the settings are gone" reg_key_gone 'HKCU\Software\TalvoAntiVirus' || return 1
  gui_wait_until 30 "the last page shows" uninstaller_shown || return 1
  sleep 1
  gui_key "$(uninstaller_window)" Return || return 1
  gui_wait_until 30 "the uninstaller ends" uninstaller_gone || return 1
  [ ! -e "$program_dir/tvac.exe" ] || fail "tvac.exe stayed" || return 1
  ! agent_running || fail "the agent still runs after the uninstall"
}
# The uninstaller's pages and its message box share the caption.
uninstaller_windows() {
  xdotool search --onlyvisible --name '^탈보안티바이러스 3\.0 제거 ?$' 2>/dev/null
}
# Those of them at least (or less than) 300 pixels high.
by_height() {
  local id
  for id in $(uninstaller_windows); do
    gui_geometry "$id" 2>/dev/null || continue
    if [ "$HEIGHT" -ge 300 ]; then
      [ "$1" = tall ] && echo "$id"
    else
      [ "$1" = short ] && echo "$id"
    fi
  done
  return 0
}
uninstaller_window() { by_height tall | head -n 1; }
question_window() { by_height short | head -n 1; }
uninstaller_shown() { [ -n "$(uninstaller_window)" ]; }
uninstaller_gone() { [ -z "$(uninstaller_windows)" ]; }
question_shown() { [ -n "$(question_window)" ]; }

# --- running them ----------------------------------------------------------------

gui_run_journey silent-install
gui_run_journey installed-scan silent-install
gui_run_journey upgrade-running installed-scan
gui_run_journey nginx-update upgrade-running
gui_run_journey older-database nginx-update
gui_run_journey uninstall older-database
gui_run_journey wizard uninstall
gui_run_journey uninstall-asked wizard

echo "installer journeys took $((SECONDS - started)) s; screenshots in $out"
[ ${#failed[@]} -eq 0 ] || { echo "failed: ${failed[*]}"; exit 1; }
