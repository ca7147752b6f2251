# Shared by the end-to-end tests: a private X server, the console in it, and
# ways to click, type and read pixels and text cells from screenshots.
set -euo pipefail

VORN=$1
SEND_CLOSE=${2:-}
WORK=$(mktemp -d)
XVFB_PID=""
VORN_PID=""
WINDOW=""

cleanup() {
  [ -n "$VORN_PID" ] && kill "$VORN_PID" 2>/dev/null || true
  [ -n "$XVFB_PID" ] && kill "$XVFB_PID" 2>/dev/null || true
  rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

start_display() {
  exec 5> "$WORK/displayfd"
  Xvfb -displayfd 5 -screen 0 1600x1200x24 -nolisten tcp >/dev/null 2>&1 &
  XVFB_PID=$!
  for _ in $(seq 100); do
    [ -s "$WORK/displayfd" ] && break
    sleep 0.1
  done
  export DISPLAY=":$(tr -d '[:space:]' < "$WORK/displayfd")"
}

# Starts vorn and waits for its window.
start_vorn() {
  "$VORN" > "$WORK/vorn.out" 2> "$WORK/vorn.err" &
  VORN_PID=$!
  for _ in $(seq 150); do
    WINDOW=$(xdotool search --name '^vorn$' 2>/dev/null | head -1 || true)
    [ -n "$WINDOW" ] && break
    sleep 0.1
  done
  [ -n "$WINDOW" ] || fail "no window appeared"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW"
  sleep 1.5
}

# Waits for vorn to end and sets EXIT_CODE to its exit code.
wait_vorn() {
  EXIT_CODE=0
  for _ in $(seq 100); do
    kill -0 "$VORN_PID" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$VORN_PID" 2>/dev/null && fail "vorn did not end"
  wait "$VORN_PID" || EXIT_CODE=$?
  VORN_PID=""
}

shot() {
  import -window "$WINDOW" "$WORK/shot.png"
}

# The colour of a canvas pixel in the last screenshot, as "r,g,b".
pixel() {
  convert "$WORK/shot.png" -format "%[fx:int(255*p{$1,$2}.r)],%[fx:int(255*p{$1,$2}.g)],%[fx:int(255*p{$1,$2}.b)]" info:
}

# Whether the pixel is within a few units of r,g,b (the window expands 5-6-5).
expect_pixel() {
  local x=$1 y=$2 want=$3 got
  got=$(pixel "$x" "$y")
  IFS=, read -r gr gg gb <<< "$got"
  IFS=, read -r wr wg wb <<< "$want"
  for d in $((gr - wr)) $((gg - wg)) $((gb - wb)); do
    [ "${d#-}" -le 8 ] || fail "pixel ($x, $y) is $got, expected about $want"
  done
}

click() {
  xdotool mousemove --window "$WINDOW" "$1" "$2" mousedown 1
  sleep 0.3
  xdotool mouseup 1
}
