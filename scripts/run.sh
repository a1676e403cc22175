#!/usr/bin/env bash
# Builds tvac.exe and tvac-scan.exe and runs them on a demonstration machine: a wine
# prefix of its own (build/demo/wineprefix) holding some of the items the sample
# database names and a few privacy traces, with the programs, the sample database
# and the sounds in C:\Program Files\Talvo AntiVirus. The update server points at a closed
# loopback port, so nothing leaves the machine.
#
#   scripts/run.sh                 the agent's window on $DISPLAY. Without a usable
#                                  display: on a private Xvfb, where it scans once,
#                                  saves build/demo/tvac-after-scan.png and ends.
#   scripts/run.sh --console [--tsv] [--db PATH]
#                                  the console scanner instead, with its options.
set -euo pipefail
cd "$(dirname "$0")/.."
# shellcheck source=scripts/lib/wine-gui.sh
source scripts/lib/wine-gui.sh

mode=window
if [ "${1:-}" = --console ]; then
  mode=console
  shift
fi

scripts/install-deps.sh
cmake --preset windows >/dev/null
cmake --build --preset windows --target tvac tvac-scan >/dev/null

demo="$PWD/build/demo"
gui_wine_env "$demo/wineprefix"
trap gui_stop_all EXIT
trap 'exit 130' INT TERM

if [ "$mode" = window ] && ! gui_display_usable; then
  mode=headless
  gui_start_xvfb 90 99
fi

gui_start_prefix
gui_reset_settings
scripts/plant-demo.sh "$WINEPREFIX"
gui_install_program build/windows

case "$mode" in
  console)
    status=0
    "$wine" "$gui_program_dir\\tvac-scan.exe" "$@" || status=$?
    # 1 means the scan found something, which is what this demonstration expects.
    [ "$status" -le 1 ] || exit "$status"
    ;;

  window)
    # A window manager gives wine the focus the usual way.
    gui_reg delete 'HKCU\Software\Wine\X11 Driver' /v UseTakeFocus /f || true
    echo "tvac.exe runs on $DISPLAY. Its ✕ hides it to the tray; Alt+F4 ends it."
    gui_launch
    wait "$gui_last_pid" || true
    ;;

  headless)
    gui_keys_without_wm
    shot="$demo/tvac-after-scan.png"
    rm -f "$shot"
    gui_launch
    program=$gui_last_pid
    gui_wait_until 30 "the main window shows" gui_main_window_shown
    main=$(gui_main_window)
    gui_click "$main" "${gui_scan_button[@]}"
    gui_wait_until 60 "the scan ends with its message" gui_message_shown
    sleep 1  # the result list draws its rows beside the message
    gui_shot "$main" "$shot"
    gui_click "$(gui_message_window)" "${gui_message_confirm[@]}"
    gui_wait_until 10 "the message window closes" gui_message_gone
    gui_key "$main" alt+F4
    gui_wait_until 20 "tvac.exe ends" gui_process_gone "$program" ||
      echo "tvac.exe did not end after Alt+F4; stopping it" >&2
    echo "No usable display: ran tvac.exe on a private Xvfb, scanned once."
    echo "Message: $(gui_setting Message)"
    echo "$shot"
    ;;
esac
