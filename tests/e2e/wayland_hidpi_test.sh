# The window on a HiDPI Wayland desktop: weston at twice the scale with an
# output of 960 x 768 points, 1920 x 1536 pixels, which the console's window
# fills. The canvas is drawn in the window's true pixels, 1:1 and centred, and
# a click lands on the canvas pixel drawn under it. With --fill the canvas is
# enlarged smoothly, one and a half times, to the whole window, and clicks
# follow it there.
source "$(dirname "$0")/lib.sh"
command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
source "$(dirname "$0")/../../tools/wayland-session.sh"

# The window here is weston's X window: the whole output, pixel for pixel.

# Clicks the canvas pixel (X, Y), then moves the pointer to the canvas's
# blank bottom right corner: weston draws the pointer into the picture.
click_canvas() {
  local x y
  read -r x y < <(window_pixel "$1" "$2")
  click "$x" "$y"
  read -r x y < <(window_pixel 1276 1020)
  xdotool mousemove --window "$WINDOW" "$x" "$y"
}

# Whether the canvas pixel (X, Y) shows about r,g,b in the last screenshot.
shows_canvas_pixel() {
  local x y
  read -r x y < <(window_pixel "$1" "$2")
  shows_pixel "$x" "$y" "$3"
}

# The status panel's line for the alert status.
ALERT_ROW=36
ALERT_RED="Site Alert Status RED? YES"
ALERT_NOT_RED="Site Alert Status RED? NO "

start_private_display 2048x1600
start_weston 2 960 768
# The picture: 1:1 in the window's pixels, centred.
PICTURE_X=320
PICTURE_Y=256
PICTURE_SCALE=1
VORN_STARTED=$(date +%s.%N)
start_vorn_wayland "$VORN"
read -r x y < <(window_pixel 1276 1020)
xdotool mousemove --window "$WINDOW" "$x" "$y"
# The title and the panel, read glyph by glyph from the window's pixels at
# 1:1 from (320, 256): the picture is exactly there, at that size.
wait_for_cells 2 1 " VORN TAMBERIS SIMULATION 20090704 "
wait_for_cells "$ALERT_ROW" 70 "$ALERT_RED"
# Both ends of the picture: the lamps along its top, the PPI at its lower left.
click_canvas 620 15
wait_for_cells "$ALERT_ROW" 70 "$ALERT_NOT_RED"
click_canvas 500 15
wait_for_cells "$ALERT_ROW" 70 "$ALERT_RED"
# Slot 1: hostile, 88000 yards west and 44060 south, flying east at 300 yd/s.
designated=""
for attempt in 1 2 3; do
  read -r x y < <(scope_position -88000 -44060 300 0)
  click_canvas "$x" "$y"
  if poll 5 shows_cells 33 70 "Target Designated      YES"; then
    designated=yes
    break
  fi
  echo "click $attempt at canvas ($x, $y) designated nothing; clicking again" >&2
done
[ -n "$designated" ] || fail "clicking the echo never designated it"
# A click on the PPI's centre, an empty spot, drops the designation.
click_canvas 265 770
wait_for_cells 33 70 "Target Designated      NO "
xdotool key q
wait_vorn 30
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"

# Filled: 1920 x 1536 is the canvas one and a half times, from the corner.
PICTURE_X=0
PICTURE_Y=0
PICTURE_SCALE=1.5
start_vorn_wayland "$VORN" --fill
# The lamps' colours at their places: red lit, white dim grey.
wait_for_pixel_at() {
  poll 60 shows_canvas_pixel "$1" "$2" "$3" || fail "canvas pixel ($1, $2) never showed about $3"
}
wait_for_pixel_at 500 15 255,0,0
wait_for_pixel_at 620 15 96,96,96
click_canvas 620 15
wait_for_pixel_at 620 15 255,255,255
wait_for_pixel_at 500 15 128,0,0
# Exit in the mode menu.
click_canvas 930 5
wait_vorn 30
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "PASS"
