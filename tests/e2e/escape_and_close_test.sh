# The window's close button leaves the console running; Escape ends it with
# exit code 0.
source "$(dirname "$0")/lib.sh"

start_display
start_vorn
wait_for_pixel 500 15 255,0,0
"$SEND_CLOSE" "$WINDOW"
# The console reads one key a tick and the close request comes as a key.
# Two clicks on the lamps after it, each seen on the screen, show that ticks
# after the close request ran and the console still answers.
click 540 15
wait_for_pixel 540 15 0,0,255
click 500 15
wait_for_pixel 500 15 255,0,0
kill -0 "$VORN_PID" 2>/dev/null || fail "the close button ended the program"
press_ending_key Escape
wait_vorn
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after Escape"
echo "PASS"
