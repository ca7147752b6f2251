# Shared by the scripts that run the real console window (the end-to-end
# tests, the screenshot, the package check): a private Xvfb display and the
# console started in it. Sourcing it makes the scratch folder WORK, which goes
# with the display and the console when the script exits. The caller defines
# fail; this sets XVFB_PID, VORN_PID and WINDOW, and stop_session ends both
# and waits for them to exit.
XVFB_PID=""
VORN_PID=""
WINDOW=""
WORK=$(mktemp -d)

# Ends a process this shell started and waits until it has gone: TERM, up to
# SECONDS (default 10) for it to exit, then KILL. An X server that is still
# going down removes its socket and lock files on the way out; when those are
# a new server's that took the same display number, that one's clients cannot
# connect. So a display is over only once its server has exited.
#   end_process PID [SECONDS]
end_process() {
  local pid=$1 until=$((SECONDS + ${2:-10})) state=""
  [ -n "$pid" ] || return 0
  kill "$pid" 2>/dev/null || { wait "$pid" 2>/dev/null || true; return 0; }
  # An exited child stays a zombie (state Z) until waited for.
  while read -r state < <(awk '{ print $3 }' "/proc/$pid/stat" 2>/dev/null) &&
    [ "$state" != Z ] && [ "$SECONDS" -lt "$until" ]; do
    sleep 0.1
  done
  if [ -e "/proc/$pid" ] && [ "$state" != Z ]; then
    echo "process $pid did not end within ${2:-10} s of TERM: killing it" >&2
    kill -9 "$pid" 2>/dev/null || true
  fi
  wait "$pid" 2>/dev/null || true
}

stop_session() {
  end_process "$VORN_PID"
  VORN_PID=""
  end_process "$XVFB_PID"
  XVFB_PID=""
}

end_session() {
  stop_session
  rm -rf "$WORK"
}
trap end_session EXIT

# A display big enough for the whole 1280 x 1024 canvas, one pixel per pixel,
# or of the size given (WIDTHxHEIGHT).
start_private_display() {
  exec 5> "$WORK/displayfd"
  # -noreset: Xvfb otherwise resets when its last client leaves (an xdotool
  # looking for the window), and a console connecting during the reset fails.
  Xvfb -displayfd 5 -screen 0 "${1:-1600x1200}x24" -nolisten tcp -noreset > "$WORK/xvfb.log" 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$WORK/displayfd" ] && break
    sleep 0.1
  done
  [ -s "$WORK/displayfd" ] || fail "Xvfb did not start"
  export DISPLAY=":$(tr -d '[:space:]' < "$WORK/displayfd")"
}

# Where the canvas lies in the window: its top left corner in window pixels,
# and window pixels to a canvas pixel. 1:1 from the corner unless the script
# says otherwise (a scaled Wayland desktop, --fill).
PICTURE_X=0
PICTURE_Y=0
PICTURE_SCALE=1

# The window pixel at the middle of canvas pixel (X, Y), as "x y".
window_pixel() {
  awk -v x="$1" -v y="$2" -v ox="$PICTURE_X" -v oy="$PICTURE_Y" -v s="$PICTURE_SCALE" \
    'BEGIN { printf "%d %d\n", ox + (x + 0.5) * s, oy + (y + 0.5) * s }'
}

# A rectangle of canvas pixels, WIDTH x HEIGHT from (X, Y), as an ImageMagick
# geometry in window pixels.
window_geometry() {
  awk -v w="$1" -v h="$2" -v x="$3" -v y="$4" -v ox="$PICTURE_X" -v oy="$PICTURE_Y" \
    -v s="$PICTURE_SCALE" 'BEGIN { printf "%dx%d+%d+%d\n", w * s, h * s, ox + x * s, oy + y * s }'
}

# How many bright pixels a stretch of the canvas shows, in the screenshot
# $WORK/first.ppm: the text drawn there. Arguments: WIDTH HEIGHT X Y.
bright_pixels() {
  convert "$WORK/first.ppm" -crop "$(window_geometry "$@")" +repage -colorspace gray \
    -threshold 50% -format '%[fx:round(mean*w*h)]' info: 2>/dev/null || echo 0
}

# Waits, for at most SECONDS (default 10), until the console has drawn its
# first full screen: the mode menu on the top row (drawn on the first tick,
# after the title, the scopes and the boards) and "SITE ALERT STATUS" under
# the lamps (drawn with the alert lamps and before the status panel).
wait_for_first_screen() {
  local until=$((SECONDS + ${1:-10}))
  while :; do
    if import -window "$WINDOW" -depth 8 "ppm:$WORK/first.ppm" 2>/dev/null &&
      [ "$(bright_pixels 352 16 648 0)" -ge 100 ] && [ "$(bright_pixels 136 16 496 32)" -ge 50 ]; then
      return 0
    fi
    [ "$SECONDS" -le "$until" ] || break
    sleep 0.1
  done
  fail "vorn's window never showed the console: $(cat "$WORK/vorn.err")"
}

# Starts the given vorn, waits for its window (named as the pattern NAME
# says, the console's own name by default), gives it the focus and waits
# until it shows the console.
#   start_vorn_window PROGRAM [NAME]
start_vorn_window() {
  "$1" > "$WORK/vorn.out" 2> "$WORK/vorn.err" &
  VORN_PID=$!
  # A generous minute: a sanitizer build on a busy machine starts slowly.
  local status=""
  for _ in $(seq 600); do
    WINDOW=$(xdotool search --name "${2:-^vorn$}" 2>/dev/null | head -1 || true)
    [ -n "$WINDOW" ] && break
    if ! kill -0 "$VORN_PID" 2>/dev/null; then
      wait "$VORN_PID" && status=0 || status=$?
      break
    fi
    sleep 0.1
  done
  [ -n "$WINDOW" ] ||
    fail "no vorn window appeared${status:+ (vorn ended with status $status)}: $(cat "$WORK/vorn.err")" \
      "(the X server on $DISPLAY said: $(tail -3 "$WORK/xvfb.log" | tr '\n' ' '))"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW" || true
  wait_for_first_screen
}

# Presses a key that ends vorn (q, Escape, Ctrl+[). The console may end and
# take its window away between the key's press and release; xdotool then
# aims the release at the gone window instead of the server's keyboard, the
# key stays held there, and the server's repeat hands it to the next window
# that takes the focus (which then ends at once). So the key is always let go
# on the server's keyboard too. Whether vorn ended as it should is for the
# caller's wait_vorn to tell.
press_ending_key() {
  xdotool key --window "$WINDOW" "$1" 2>/dev/null || true
  xdotool keyup "$1" 2>/dev/null || true
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
