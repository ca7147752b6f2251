# Text shows the help pages on the 800 x 600 canvas, centred one to one in
# the same window so every letter keeps even strokes; '>' turns to page 2
# and any other key, Ctrl+C too, brings the console back, with "Text " red in
# the menu. Ctrl+[ is Escape and ends the program.
source "$(dirname "$0")/lib.sh"

start_display
start_vorn
wait_for_cells 1 82 "Game Modes: Normal, Auto, Pause ,Exit, Text "
click 975 5
CANVAS_WIDTH=800
CANVAS_HEIGHT=600
wait_for_cells 3 1 " Page 1"
expect_cells 1 1 "   '>' next page;   other keys return to Vorn Simulation"
expect_cells 29 1 "    d) Missile: path, boost, 7 g dive, steering 1/2 g glide, speed, burst "
[ "$(cell_colour 30 1 100)" = none ] || fail "page 1 goes on below row 29"

xdotool key --window "$WINDOW" greater
wait_for_cells 3 1 " Page 2"
expect_cells 34 1 "           The current  display seems quite valid."

xdotool key --window "$WINDOW" ctrl+c
CANVAS_WIDTH=1280
CANVAS_HEIGHT=1024
wait_for_cells 1 82 "Game Modes: Normal, Auto, Pause ,Exit, Text "
same_colour "$(cell_colour 1 121 4)" 255,0,0 || fail "Text is not red after the help pages"
same_colour "$(cell_colour 1 94 6)" 255,255,255 || fail "Normal is not white after the help pages"
wait_for_cells 33 70 "Target Designated      NO "
press_ending_key ctrl+bracketleft
wait_vorn
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "PASS"
