# Shared by the scripts that run the real console window (the end-to-end
# tests, the screenshot, the package check): a private Xvfb display and the
# console started in it. Sourcing it makes the scratch folder WORK, which goes
# with the display and the console when the script exits. The caller defines
# fail; this sets XVFB_PID, VORN_PID and WINDOW, and stop_session ends both.
XVFB_PID=""
VORN_PID=""
WINDOW=""
WORK=$(mktemp -d)

stop_session() {
  [ -n "$VORN_PID" ] && kill "$VORN_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
}

end_session() {
  stop_session
  rm -rf "$WORK"
}
trap end_session EXIT

# A display big enough for the whole 1280 x 1024 canvas, one pixel per pixel.
start_private_display() {
  exec 5> "$WORK/displayfd"
  Xvfb -displayfd 5 -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$WORK/displayfd" ] && break
    sleep 0.1
  done
  [ -s "$WORK/displayfd" ] || fail "Xvfb did not start"
  export DISPLAY=":$(tr -d '[:space:]' < "$WORK/displayfd")"
}

# How many bright pixels a stretch of the window shows, in the screenshot
# $WORK/first.ppm: the text drawn there. Arguments: ImageMagick geometry.
bright_pixels() {
  convert "$WORK/first.ppm" -crop "$1" +repage -colorspace gray -threshold 50% \
    -format '%[fx:round(mean*w*h)]' info: 2>/dev/null || echo 0
}

# Waits, for at most 10 s, until the console has drawn its first full screen:
# the mode menu on the top row (drawn on the first tick, after the title, the
# scopes and the boards) and "SITE ALERT STATUS" under the lamps (drawn with
# the alert lamps and before the status panel).
wait_for_first_screen() {
  local until=$((SECONDS + 10))
  while :; do
    if import -window "$WINDOW" -depth 8 "ppm:$WORK/first.ppm" 2>/dev/null &&
      [ "$(bright_pixels 352x16+648+0)" -ge 100 ] && [ "$(bright_pixels 136x16+496+32)" -ge 50 ]; then
      return 0
    fi
    [ "$SECONDS" -le "$until" ] || break
    sleep 0.1
  done
  fail "vorn's window never showed the console: $(cat "$WORK/vorn.err")"
}

# Starts the given vorn, waits for its window, gives it the focus and waits
# until it shows the console.
start_vorn_window() {
  "$1" > "$WORK/vorn.out" 2> "$WORK/vorn.err" &
  VORN_PID=$!
  # A generous minute: a sanitizer build on a busy machine starts slowly.
  local status=""
  for _ in $(seq 600); do
    WINDOW=$(xdotool search --name '^vorn$' 2>/dev/null | head -1 || true)
    [ -n "$WINDOW" ] && break
    if ! kill -0 "$VORN_PID" 2>/dev/null; then
      wait "$VORN_PID" && status=0 || status=$?
      break
    fi
    sleep 0.1
  done
  [ -n "$WINDOW" ] ||
    fail "no vorn window appeared${status:+ (vorn ended with status $status)}: $(cat "$WORK/vorn.err")"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW" || true
  wait_for_first_screen
}

# Waits up to SECONDS (default 10) for vorn to end and sets EXIT_CODE to its
# exit code; fails if it goes on.
wait_vorn() {
  local until=$((SECONDS + ${1:-10}))
  EXIT_CODE=0
  while kill -0 "$VORN_PID" 2>/dev/null && [ "$SECONDS" -le "$until" ]; do
    sleep 0.1
  done
  kill -0 "$VORN_PID" 2>/dev/null && fail "vorn did not end"
  wait "$VORN_PID" || EXIT_CODE=$?
  VORN_PID=""
}
