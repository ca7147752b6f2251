#!/usr/bin/env bash
# Makes docs/screenshot.png: the real console window under a private Xvfb
# display, in Auto mode, caught while the crew's missile is in flight.
# With --hidpi, docs/screenshot-hidpi.png: the same on a Wayland desktop at
# 200 % (weston, scale 2, 960 x 768 points), the window 1920 x 1536 pixels;
# with --hidpi-fill, docs/screenshot-hidpi-fill.png, the same with --fill.
# Needs Xvfb, xdotool and ImageMagick (bash tools/setup.sh test installs them),
# and weston for --hidpi.
# Usage: bash tools/screenshot.sh [--hidpi | --hidpi-fill] [path/to/vorn] [output.png]
set -euo pipefail
cd "$(dirname "$0")/.."

SCREEN=plain
case "${1:-}" in
  --hidpi) SCREEN=hidpi; shift ;;
  --hidpi-fill) SCREEN=hidpi-fill; shift ;;
esac
VORN=${1:-build/release/vorn}
case "$SCREEN" in
  plain) OUT=${2:-docs/screenshot.png} ;;
  hidpi) OUT=${2:-docs/screenshot-hidpi.png} ;;
  hidpi-fill) OUT=${2:-docs/screenshot-hidpi-fill.png} ;;
esac
source tools/xsession.sh

fail() {
  echo "screenshot: $*" >&2
  exit 1
}

for tool in Xvfb xdotool import convert; do
  command -v "$tool" >/dev/null || fail "$tool is missing (bash tools/setup.sh test installs it)"
done
[ "$SCREEN" = plain ] || command -v weston >/dev/null || fail "weston is missing"

if [ "$VORN" = build/release/vorn ]; then
  cmake --preset release >/dev/null
  cmake --build --preset release --target vorn >/dev/null
fi
[ -x "$VORN" ] || fail "no program at $VORN"

if [ "$SCREEN" = plain ]; then
  start_private_display
  start_vorn_window "$VORN"
else
  source tools/wayland-session.sh
  start_private_display 2048x1600
  start_weston 2 960 768
  if [ "$SCREEN" = hidpi ]; then
    # Whole steps: 1:1 in the window's pixels, centred.
    PICTURE_X=320 PICTURE_Y=256
    start_vorn_wayland "$VORN"
  else
    PICTURE_SCALE=1.5
    start_vorn_wayland "$VORN" --fill
  fi
fi

# Choose Auto in the mode menu, then take the pointer off the canvas (under
# weston, to the window's last pixel, where its drawn pointer does not show):
# in Auto the crew works the controls by itself.
read -r x y < <(window_pixel 820 5)
xdotool mousemove --window "$WINDOW" "$x" "$y" mousedown 1
sleep 0.3
xdotool mouseup 1
if [ "$SCREEN" = plain ]; then
  xdotool mousemove 1590 1190
else
  xdotool mousemove --window "$WINDOW" 1919 1535
fi

# Green on the X/Y board is the missile's trail: wait until it shows.
green_on_board() {
  convert "$WORK/shot.png" -crop "$(window_geometry 399 399 61 66)" +repage -fuzz 8% \
    -fill black +opaque '#00FF00' -fill white -opaque '#00FF00' \
    -format '%[fx:round(mean*w*h)]' info:
}
flying=""
for _ in $(seq 120); do
  sleep 1
  import -window "$WINDOW" "$WORK/shot.png"
  if [ "$(green_on_board)" -ge 25 ]; then
    flying=yes
    break
  fi
done
[ -n "$flying" ] || fail "no missile was fired within two minutes"
# Let it dive and cruise a while: longer trails, steering orders, a settled MTR.
sleep 20

import -window "$WINDOW" "$WORK/final.png"
mkdir -p "$(dirname "$OUT")"
# Strip the time stamps so a new picture differs only where the console does.
convert "$WORK/final.png" -strip -define png:exclude-chunks=date,time "$OUT"
# The window may be gone before xdotool sends the key's release. Weston takes
# keys from the X server's keyboard, sent to its focused window.
if [ "$SCREEN" = plain ]; then
  xdotool key --window "$WINDOW" q 2>/dev/null || true
else
  xdotool key q 2>/dev/null || true
fi
for _ in $(seq 50); do
  kill -0 "$VORN_PID" 2>/dev/null || break
  sleep 0.1
done
echo "wrote $OUT"
