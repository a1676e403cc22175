# shellcheck shell=bash disable=SC2034
# Helpers for driving tvac.exe under wine on an X display, as a user would:
# a private Xvfb, a prefix with its own wineserver, the program installed in it,
# windows found and clicked with xdotool, settings read back from the registry.
# Sourced by scripts/run.sh and tests/e2e/journeys.sh; every wait is bounded.

wine=/usr/lib/wine/wine64
wineserver=/usr/lib/wine/wineserver
gui_repo="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"

gui_main_title='^Talvo AntiVirus$'
gui_program_dir='C:\Program Files\Talvo AntiVirus'
gui_settings_key='HKCU\Software\TalvoAntiVirus\Common'

# Spots of the faces, client coordinates of their middles (see src/ui/layout.h).
gui_scan_button=(429 378)
gui_hide_spot=(505 17)
gui_message_confirm=(200 180)
gui_result_list=(16 205 545 353)  # left, top, right, bottom

gui_xvfb_pid=""
gui_started_pids=()

# gui_program_dir as a Unix path in the current prefix.
gui_program_path() { echo "$WINEPREFIX/drive_c/Program Files/Talvo AntiVirus"; }

gui_log() { echo "  $*" >&2; }

# The journey scripts' arguments, BUILD_DIR OUT_DIR [LOCALE]: sets `build` and `out`
# (full paths; OUT_DIR is created) and TVAC_LOCALE (C.UTF-8 unless given).
gui_journey_args() {
  [ $# -eq 2 ] || [ $# -eq 3 ] || { echo "usage: $0 BUILD_DIR OUT_DIR [LOCALE]" >&2; exit 2; }
  build=$(cd "$1" && pwd)
  mkdir -p "$2"
  out=$(cd "$2" && pwd)
  export TVAC_LOCALE=${3:-C.UTF-8}
}

# A journey's checks: each says what went wrong and fails.
fail() { gui_log "$*"; return 1; }

expect_eq() {
  local what=$1 actual=$2 expected=$3
  [ "$actual" = "$expected" ] || fail "$what: got '$actual', expected '$expected'"
}

# Exports the environment every wine start here shares. The locale, and with it
# wine's ANSI code page, is TVAC_LOCALE: a Western one (code page 1252) unless the
# caller names another, such as ko_KR.UTF-8 (code page 949).
gui_wine_env() {
  export WINEPREFIX="$1"
  export TVAC_LOCALE="${TVAC_LOCALE:-C.UTF-8}"
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LC_ALL="$TVAC_LOCALE"
}

# Starts Xvfb on the first free display in FIRST..LAST and exports DISPLAY.
gui_start_xvfb() {
  local first=$1 last=$2 n
  for n in $(seq "$first" "$last"); do
    [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ] && continue
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp </dev/null >/dev/null 2>&1 &
    gui_xvfb_pid=$!
    # Another server may take the number first: then this one ends at once.
    if gui_wait_until 10 "Xvfb :$n answers" gui_xvfb_answers ":$n" &&
      kill -0 "$gui_xvfb_pid" 2>/dev/null; then
      export DISPLAY=":$n"
      return 0
    fi
    kill "$gui_xvfb_pid" 2>/dev/null || true
    gui_xvfb_pid=""
  done
  echo "no free X display in :$first..:$last" >&2
  return 1
}

# True when the Xvfb started last runs and the display $1 answers, or when it ended.
gui_xvfb_answers() {
  ! kill -0 "$gui_xvfb_pid" 2>/dev/null || xdpyinfo -display "$1" >/dev/null 2>&1
}

# True when DISPLAY names a server that answers.
gui_display_usable() {
  [ -n "${DISPLAY:-}" ] && timeout 5 xdpyinfo >/dev/null 2>&1
}

# Runs COMMAND until it succeeds, for at most SECONDS; says what it waited for
# when it gives up.
gui_wait_until() {
  local seconds=$1 what=$2
  shift 2
  local deadline=$((SECONDS + seconds))
  until "$@" >/dev/null 2>&1; do
    if [ "$SECONDS" -ge "$deadline" ]; then
      gui_log "gave up after ${seconds} s waiting until $what"
      return 1
    fi
    sleep 0.2
  done
}

# Creates the prefix if need be and gives it a wineserver of its own, started
# here with the current locale and display. Any earlier one of this prefix is
# stopped first: it would keep another display for wine's own windows.
gui_start_prefix() {
  mkdir -p "$WINEPREFIX"
  "$wineserver" -k 2>/dev/null || true
  timeout 20 "$wineserver" -w 2>/dev/null || true
  # In the foreground: it returns once the server listens, so that wineboot
  # cannot start a server of its own first.
  "$wineserver" -p </dev/null >/dev/null 2>&1
  timeout 180 "$wine" wineboot --init </dev/null >/dev/null 2>&1 || true
  test -d "$WINEPREFIX/drive_c/windows/system32" || {
    echo "wineboot did not create $WINEPREFIX" >&2
    return 1
  }
  # Windows links its interface faces to a Korean one for Hangul on every system
  # (FontLink\SystemLink); a Western wine prefix has no such link, and its menus and
  # message boxes would show boxes where Windows shows Hangul.
  local face
  for face in Tahoma 'Microsoft Sans Serif' 'MS Shell Dlg' 'MS Shell Dlg 2'; do
    gui_reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
      /v "$face" /t REG_MULTI_SZ /d 'NanumGothic.ttf,NanumGothic' /f || return 1
  done
}

# Runs wine's reg with ARGS. A change is tried three times, a second apart, as
# a prefix that is still settling may turn the first one away; a change that
# never takes is reported with what reg said. A deletion is tried once and fails
# quietly, as the key or value may simply not be there.
gui_reg() {
  local output="" attempt
  if [ "$1" = delete ]; then
    timeout 60 "$wine" reg "$@" </dev/null >/dev/null 2>&1
    return
  fi
  for attempt in 1 2 3; do
    output=$(timeout 60 "$wine" reg "$@" </dev/null 2>&1) && return 0
    sleep 1
  done
  gui_log "wine reg $* failed three times: ${output//$'\r'/}"
  return 1
}

# Reports the command that ended the calling script under set -e, with its line.
gui_report_failures() {
  set -E
  trap 'gui_log "status $? from \"$BASH_COMMAND\", line $LINENO of $(basename "$0")"' ERR
}

# Lets a focused window receive keys without a window manager.
gui_keys_without_wm() {
  gui_reg add 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /d N /f
}

# Starts the program's settings afresh, with the update server pointed at a closed
# loopback port so that no request leaves the machine.
gui_reset_settings() {
  gui_reg delete 'HKCU\Software\TalvoAntiVirus' /f || true
  gui_reg add "$gui_settings_key" /v Server /d 127.0.0.1:1 /f
}

# Copies the programs from BUILD_DIR, the sample database and the sounds into
# the program's folder in the prefix.
gui_install_program() {
  local build=$1
  local dir
  dir=$(gui_program_path)
  mkdir -p "$dir"
  cp "$build/tvac.exe" "$build/tvac-scan.exe" "$gui_repo/res/sample/pattern.ini" \
    "$gui_repo/res/sound.wav" "$gui_repo/res/update.wav" "$dir/"
}

# Starts tvac.exe in the background from its folder; its pid goes to gui_last_pid.
gui_launch() {
  (cd "$(gui_program_path)" &&
    exec "$wine" "$gui_program_dir\\tvac.exe" </dev/null >/dev/null 2>&1) &
  gui_last_pid=$!
  gui_started_pids+=("$gui_last_pid")
}

# Starts tvac.exe and waits for its main window: sets main_pid and main_window.
main_pid="" main_window=""
gui_launch_main() {
  gui_launch
  main_pid=$gui_last_pid
  gui_wait_until 30 "the main window shows" gui_main_window_shown || return 1
  main_window=$(gui_main_window)
}

# The value NAME of the program's settings, as UTF-8 (empty when absent). reg query
# prints through the console code page, which has no Hangul here; an exported
# file is UTF-16.
gui_setting() { gui_reg_value "$gui_settings_key" "$1"; }

# The value NAME under the key KEY, as UTF-8 (empty when absent).
gui_reg_value() {
  local key=$1 name=$2 file
  file=$(mktemp "${TMPDIR:-/tmp}/tvac-settings.XXXXXX")
  if timeout 60 "$wine" reg export "$key" "Z:${file//\//\\}" /y </dev/null >/dev/null 2>&1; then
    iconv -f UTF-16 -t UTF-8 "$file" | tr -d '\r' |
      sed -n "s/^\"$name\"=\"\\(.*\\)\"\$/\\1/p" | sed 's/\\"/"/g; s/\\\\/\\/g'
  fi
  rm -f "$file"
}

gui_setting_is() { [ "$(gui_setting "$1")" = "$2" ]; }

# The visible main window's X id (empty when there is none).
gui_main_window() {
  xdotool search --onlyvisible --name "$gui_main_title" 2>/dev/null | head -n 1
}

gui_main_window_shown() { [ -n "$(gui_main_window)" ]; }
gui_main_window_gone() { [ -z "$(gui_main_window)" ]; }

# Visible windows of tvac.exe of WIDTHxHEIGHT, one X id a line.
gui_windows_sized() {
  local size=$1 id
  for id in $(xdotool search --onlyvisible --class '^tvac\.exe$' 2>/dev/null); do
    xwininfo -id "$id" 2>/dev/null | grep -Eq -- "-geometry ${size}[+-]" && echo "$id"
  done
}

gui_message_window() { gui_windows_sized 400x200 | head -n 1; }
gui_message_shown() { [ -n "$(gui_message_window)" ]; }
gui_message_gone() { [ -z "$(gui_message_window)" ]; }

# Sets X, Y, WIDTH and HEIGHT of window ID.
X="" Y="" WIDTH="" HEIGHT=""
gui_geometry() {
  local geometry
  geometry=$(xdotool getwindowgeometry --shell "$1" 2>/dev/null) ||
    { gui_log "window $1 is gone"; X="" Y="" WIDTH="" HEIGHT=""; return 1; }
  eval "$geometry"
}

# Clicks the client point CX, CY of window ID.
gui_click() {
  local id=$1 cx=$2 cy=$3
  gui_geometry "$id" || return 1
  # Not --sync: it waits for a motion event, which never comes when the pointer is
  # there already.
  timeout 10 xdotool mousemove $((X + cx)) $((Y + cy)) sleep 0.2 click 1
}

# Makes window ID wine's foreground window and sends it the keys KEYS.
gui_key() {
  local id=$1
  shift
  timeout 10 xdotool windowfocus --sync "$id" key "$@"
}

# Saves the screen area of window ID as FILE.
gui_shot() {
  local id=$1 file=$2
  gui_geometry "$id" || return 1
  import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$file"
}

gui_process_gone() { ! kill -0 "$1" 2>/dev/null; }

# Ends what this shell started: the programs, the prefix's wineserver, Xvfb.
gui_stop_all() {
  local pid
  for pid in "${gui_started_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  if [ -n "${WINEPREFIX:-}" ]; then "$wineserver" -k 2>/dev/null || true; fi
  if [ -n "$gui_xvfb_pid" ]; then
    kill "$gui_xvfb_pid" 2>/dev/null || true
    wait "$gui_xvfb_pid" 2>/dev/null || true
  fi
}

# Runs the journey NAME, the function journey_NAME (dashes as underscores), and
# prints PASS or FAIL with its time; a failure leaves a shot of the screen in $out
# and NAME in `failed`. A journey that NEEDS one that failed is not run (and fails).
# JOURNEYS="a b ..." runs only those (while working on one).
failed=()
gui_run_journey() {
  local name=$1 needs=${2:-} began=$SECONDS
  if [ -n "${JOURNEYS:-}" ] && [[ " $JOURNEYS " != *" $name "* ]]; then return; fi
  if [ -n "$needs" ] && [[ " ${failed[*]} " == *" $needs "* ]]; then
    echo "FAIL $name: not run, $needs failed"
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
