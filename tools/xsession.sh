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

# Starts the given vorn, waits for its window and gives it the focus.
start_vorn_window() {
  "$1" > "$WORK/vorn.out" 2> "$WORK/vorn.err" &
  VORN_PID=$!
  for _ in $(seq 150); do
    WINDOW=$(xdotool search --name '^vorn$' 2>/dev/null | head -1 || true)
    [ -n "$WINDOW" ] && break
    sleep 0.1
  done
  [ -n "$WINDOW" ] || fail "no vorn window appeared: $(cat "$WORK/vorn.err")"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW" || true
  sleep 1.5
}
