# Pause freezes the scope: two screenshots of the PPI a while apart are the
# same, and the menu shows "Paused," in red. Choosing Pause again resumes it.
source "$(dirname "$0")/lib.sh"

# A hash of the PPI scope's square in the last screenshot.
scope_hash() {
  convert "$WORK/shot.ppm" -crop 401x401+65+570 +repage rgb:- | md5sum
}

start_display
start_vorn
wait_for_cells 1 82 "Game Modes: Normal, Auto, Pause ,"
tap 880 5
wait_for_cells 1 108 "Paused,"
same_colour "$(cell_colour 1 108 7)" 255,0,0 || fail "Paused, is not red"
sleep 0.5
shot
first=$(scope_hash)
sleep 1.5
shot
[ "$(scope_hash)" = "$first" ] || fail "the scope moved while paused"
expect_cells 1 108 "Paused,"

tap 880 5
wait_for_cells 1 108 "Pause ,"
shot
first=$(scope_hash)
sleep 1
shot
[ "$(scope_hash)" != "$first" ] || fail "the scope stands still after resuming"
xdotool key --window "$WINDOW" Escape
wait_vorn
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "PASS"
