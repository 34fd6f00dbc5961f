#!/usr/bin/env bash
# Runs the main window's end-to-end test: starts a virtual X display, gives
# Wine a prefix of its own for windows (so that no other test's Wine shares
# the display), runs the test program under Wine and cleans up.
# Usage: run_window_test.sh WINE-RUN TEST.exe PLOTMERE.exe PLOTMERE-CLI.exe
#        DROP_HELPER.dll WORK_FOLDER [gtest options]
set -euo pipefail

if [ $# -lt 6 ]; then
  echo "usage: $0 WINE-RUN TEST.exe PLOTMERE.exe PLOTMERE-CLI.exe DROP_HELPER.dll WORK_FOLDER [gtest options]" >&2
  exit 2
fi
wine_run=$1 test_exe=$2 plotmere=$3 cli=$4 helper=$5 work=$6
shift 6

# Wine sees the Unix file system as drive Z:.
windows_path() { printf 'Z:%s' "$(realpath -m "$1" | tr / '\\')"; }

rm -rf "$work"
mkdir -p "$work"
export WINEPREFIX="$(realpath -m "$(dirname "$work")")/wineprefix-window-test"

display=""
for n in $(seq 140 199); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    display=":$n"; break
  fi
done
if [ -z "$display" ]; then echo "$0: no free X display number" >&2; exit 1; fi

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
cleanup() {
  wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY="$display"
ready=""
for _ in $(seq 100); do
  if xdpyinfo >/dev/null 2>&1; then ready=1; break; fi
  sleep 0.1
done
if [ -z "$ready" ]; then echo "$0: Xvfb did not start on $display" >&2; exit 1; fi

"$wine_run" "$test_exe" "$(windows_path "$plotmere")" "$(windows_path "$cli")" \
  "$(windows_path "$helper")" "$(windows_path "$work")" "$@"
