# Shared by the scripts that run the console on a Wayland desktop scaled as a
# HiDPI screen is: the weston compositor at a whole scale, shown in the
# private Xvfb display of xsession.sh (source that first) through weston's
# X11 backend, so that xdotool's pointer and keys reach it and its X window
# holds what the compositor shows, pixel for pixel. The console runs in it
# as a Wayland client. Sets WESTON_PID, WAYLAND_SOCKET_NAME and WINDOW
# (weston's X window); the session's end stops weston too.
WESTON_PID=""
WAYLAND_SOCKET_NAME=""
WESTON_STARTS=0

# Stops weston and waits until it has gone, so that another can start.
stop_weston() {
  [ -n "$WESTON_PID" ] || return 0
  end_process "$WESTON_PID"
  WESTON_PID=""
}
trap 'stop_weston; end_session' EXIT

# Starts weston with an output of WIDTH x HEIGHT points at SCALE pixels to
# the point, without its panel, so that a window as large as the output
# covers it from the top left; waits for its socket and its X window. The X
# display must be larger than the output: weston follows the X pointer by
# its movements and learns where it is only when it enters its window, so
# the pointer is put outside it here, to enter it with the first move.
#   start_weston SCALE WIDTH HEIGHT
start_weston() {
  export XDG_RUNTIME_DIR="$WORK/runtime"
  mkdir -m 700 -p "$XDG_RUNTIME_DIR"
  WESTON_STARTS=$((WESTON_STARTS + 1))
  WAYLAND_SOCKET_NAME="vorn-$$-$WESTON_STARTS"
  printf '[core]\nidle-time=0\n[shell]\npanel-position=none\nlocking=false\n' > "$WORK/weston.ini"
  weston --backend=x11-backend.so --use-pixman --scale="$1" --width="$2" --height="$3" \
    --socket="$WAYLAND_SOCKET_NAME" --config="$WORK/weston.ini" --log="$WORK/weston.log" \
    >/dev/null 2>&1 &
  WESTON_PID=$!
  WINDOW=""
  for _ in $(seq 300); do
    if [ -S "$XDG_RUNTIME_DIR/$WAYLAND_SOCKET_NAME" ]; then
      WINDOW=$(xdotool search --onlyvisible --class '^Weston Compositor$' 2>/dev/null | head -1 || true)
      [ -n "$WINDOW" ] && break
    fi
    kill -0 "$WESTON_PID" 2>/dev/null || break
    sleep 0.1
  done
  [ -n "$WINDOW" ] || fail "weston did not start: $(tail -5 "$WORK/weston.log" 2>/dev/null)"
  xdotool windowfocus --sync "$WINDOW" 2>/dev/null || xdotool windowfocus "$WINDOW" || true
  local screen_width screen_height
  read -r screen_width screen_height < <(xdotool getdisplaygeometry)
  [ "$screen_width" -gt $(($1 * $2)) ] && [ "$screen_height" -gt $(($1 * $3)) ] ||
    fail "the X display (${screen_width}x$screen_height) must be larger than weston's output"
  xdotool mousemove $((screen_width - 1)) $((screen_height - 1))
}

# Starts the given vorn, with its arguments, as a client of that weston only,
# and waits until the console shows where PICTURE_X, PICTURE_Y and
# PICTURE_SCALE say. A generous minute: a sanitizer build on a busy machine
# starts slowly, and its first frames go through a software renderer.
#   start_vorn_wayland VORN [ARGUMENT...]
start_vorn_wayland() {
  env -u DISPLAY WAYLAND_DISPLAY="$WAYLAND_SOCKET_NAME" "$@" \
    > "$WORK/vorn.out" 2> "$WORK/vorn.err" &
  VORN_PID=$!
  wait_for_first_screen 60
}
