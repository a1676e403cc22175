#!/usr/bin/env bash
# Runs a command on a private X display, so that wine can create windows:
# with_xvfb.sh COMMAND...
set -euo pipefail
. "$(dirname "$0")/../../scripts/lib/wine-gui.sh"
gui_start_xvfb 70 89
trap 'kill "$gui_xvfb_pid" 2>/dev/null || true' EXIT
"$@"
