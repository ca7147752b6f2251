# The window's close button leaves the console running; Escape ends it with
# exit code 0.
source "$(dirname "$0")/lib.sh"

start_display
start_vorn
"$SEND_CLOSE" "$WINDOW"
sleep 1
kill -0 "$VORN_PID" 2>/dev/null || fail "the close button ended the program"
xdotool key --window "$WINDOW" Escape
wait_vorn
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after Escape"
echo "PASS"
