#!/usr/bin/env bash
# Takes a picture of plotmere.exe's main window under Wine, in a virtual X
# display, and writes it as a PNG (default docs/main-window.png).
# Needs the mingw32 build (cmake --preset mingw32 && cmake --build --preset
# mingw32) and Xvfb, xdotool and ImageMagick.
# Usage: scripts/screenshot.sh [OUTPUT.png]
set -euo pipefail

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/mingw32"
output="${1:-$root/docs/main-window.png}"
exe="$build/shell/plotmere.exe"
if [ ! -f "$exe" ]; then
  echo "$0: $exe is missing; build the mingw32 preset first" >&2
  exit 1
fi

# A Wine prefix of its own, apart from the one the tests use.
export WINEPREFIX="$build/wineprefix-screenshot"

display=""
for n in $(seq 90 130); do
  if [ ! -e "/tmp/.X$n-lock" ] && [ ! -e "/tmp/.X11-unix/X$n" ]; then
    display=":$n"; break
  fi
done
[ -n "$display" ] || { echo "$0: no free X display number" >&2; exit 1; }

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
wine_pid=""
cleanup() {
  if [ -n "$wine_pid" ]; then kill "$wine_pid" 2>/dev/null || true; fi
  WINEPREFIX="$WINEPREFIX" wineserver -k 2>/dev/null || true
  kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
}
trap cleanup EXIT
export DISPLAY="$display"
for _ in $(seq 100); do
  xdpyinfo >/dev/null 2>&1 && break
  sleep 0.1
done

# Creates the prefix on first use. No window manager runs in Xvfb, so Wine
# draws the frame and the caption itself.
"$root/cmake/wine-run.sh" "$build/plotmere-cli.exe" --version >/dev/null
WINEDEBUG=-all wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed \
  /t REG_SZ /d N /f >/dev/null 2>&1

"$root/cmake/wine-run.sh" "$exe" &
wine_pid=$!

window=""
for _ in $(seq 1200); do
  window=$(xdotool search --name '^Plotmere$' 2>/dev/null | head -n 1 || true)
  [ -n "$window" ] && break
  if ! kill -0 "$wine_pid" 2>/dev/null; then
    echo "$0: plotmere.exe ended before its window appeared" >&2
    exit 1
  fi
  sleep 0.1
done
[ -n "$window" ] || { echo "$0: no window titled Plotmere appeared" >&2; exit 1; }
sleep 2  # let the window paint

mkdir -p "$(dirname "$output")"
# The window sits at (200, 200) on the screen and is 500 x 500 pixels.
import -window root -crop 500x500+200+200 +repage "$output"
echo "wrote $output"
