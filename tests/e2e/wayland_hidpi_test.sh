# The window on a Wayland desktop, where SDL measures the window in points
# and the console draws in pixels. Weston at twice the scale with an output
# of 960 x 768 points, 1920 x 1536 pixels, which the console's window fills:
# the canvas is drawn in the window's true pixels, 1:1 and centred, and a
# click lands on the canvas pixel drawn under it; with --fill the canvas is
# enlarged smoothly, one and a half times, to the whole window, and clicks
# follow it there. At twice the scale with 1280 x 1024 points, the canvas is
# exactly twice, every pixel a sharp square, and the help pages three times.
# At the ordinary scale with 1000 x 800 points, it is shrunk to fit.
source "$(dirname "$0")/lib.sh"
command -v weston >/dev/null || { echo "SKIP: weston is not installed"; exit 77; }
source "$(dirname "$0")/../../tools/wayland-session.sh"

# The window here is weston's X window: the whole output, pixel for pixel.

# Moves the pointer to the canvas's blank bottom right corner: weston draws
# the pointer into the picture, where it would hide what is read.
park_pointer() {
  local x y
  read -r x y < <(window_pixel 1276 1020)
  xdotool mousemove --window "$WINDOW" "$x" "$y"
}

# Clicks the canvas pixel (X, Y), then parks the pointer.
click_canvas() {
  local x y
  read -r x y < <(window_pixel "$1" "$2")
  click "$x" "$y"
  park_pointer
}

# Whether the canvas pixel (X, Y) shows about r,g,b in the last screenshot.
shows_canvas_pixel() {
  local x y
  read -r x y < <(window_pixel "$1" "$2")
  shows_pixel "$x" "$y" "$3"
}

wait_for_pixel_at() {
  poll 60 shows_canvas_pixel "$1" "$2" "$3" || fail "canvas pixel ($1, $2) never showed about $3"
}

# The lamps' colours at their places (red lit, white dim grey), read and
# clicked through the placement PICTURE_* say; then Exit in the mode menu.
lamps_then_exit() {
  wait_for_pixel_at 500 15 255,0,0
  wait_for_pixel_at 620 15 96,96,96
  click_canvas 620 15
  wait_for_pixel_at 620 15 255,255,255
  wait_for_pixel_at 500 15 128,0,0
  click_canvas 930 5
  wait_vorn 30
  [ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
}

# The status panel's line for the alert status.
ALERT_ROW=36
ALERT_RED="Site Alert Status RED? YES"
ALERT_NOT_RED="Site Alert Status RED? NO "

start_private_display 2700x2200
start_weston 2 960 768
# The picture: 1:1 in the window's pixels, centred.
PICTURE_X=320
PICTURE_Y=256
PICTURE_SCALE=1
VORN_STARTED=$(date +%s.%N)
start_vorn_wayland "$VORN"
park_pointer
# The title and the panel, read glyph by glyph from the window's pixels at
# 1:1 from (320, 256): the picture is exactly there, at that size.
wait_for_cells 2 1 " VORN TAMBERIS SIMULATION 20090704 "
wait_for_cells "$ALERT_ROW" 70 "$ALERT_RED"
# Both ends of the picture: the lamps along its top, the PPI at its lower left.
click_canvas 620 15
wait_for_cells "$ALERT_ROW" 70 "$ALERT_NOT_RED"
click_canvas 500 15
wait_for_cells "$ALERT_ROW" 70 "$ALERT_RED"
designate_slot_one click_canvas
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
park_pointer
lamps_then_exit

# Twice the canvas: read glyph by glyph at 2 x 2 pixels a canvas pixel, no
# pixel blended with its neighbours. The help pages' 800 x 600 canvas is
# three times, centred.
stop_weston
start_weston 2 1280 1024
PICTURE_SCALE=2
start_vorn_wayland "$VORN"
park_pointer
wait_for_cells 2 1 " VORN TAMBERIS SIMULATION 20090704 "
click_canvas 975 5
CANVAS_WIDTH=800
CANVAS_HEIGHT=600
wait_for_cells 3 1 " Page 1"
expect_cells 29 1 "    d) Missile: path, boost, 7 g dive, steering 1/2 g glide, speed, burst "
xdotool key space
CANVAS_WIDTH=1280
CANVAS_HEIGHT=1024
wait_for_cells 33 70 "Target Designated      NO "
xdotool key q
wait_vorn 30
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"

# Shrunk to 1000 x 800 on an ordinary screen: every pixel the mean of the
# canvas pixels under it, the lamps still solid at their middles.
stop_weston
start_weston 1 1000 800
PICTURE_SCALE=0.78125
start_vorn_wayland "$VORN"
park_pointer
lamps_then_exit
echo "PASS"
