# Pause freezes the scope: two screenshots of the PPI a while apart are the
# same, and the menu shows "Paused," in red. Choosing Pause again resumes it.
source "$(dirname "$0")/lib.sh"

# A hash of the PPI scope's square in the last screenshot.
scope_hash() {
  convert "$WORK/shot.ppm" -crop 401x401+65+570 +repage rgb:- | md5sum
}

scope_differs_from() {
  [ "$(scope_hash)" != "$1" ]
}

start_display
start_vorn
wait_for_cells 1 82 "Game Modes: Normal, Auto, Pause ,"

# Nothing on the scope may change while the console stays paused. A click
# the console took twice can leave Pause again by itself: then the
# comparison says nothing, and it is made once more.
compared=""
for attempt in 1 2; do
  toggle_to 1 108 "Paused," 880 5
  same_colour "$(cell_colour 1 108 7)" 255,0,0 || fail "Paused, is not red"
  first=$(scope_hash)
  sleep 1.5
  shot
  if ! shows_cells 1 108 "Paused,"; then
    echo "attempt $attempt: the console left Pause during the comparison" >&2
    continue
  fi
  [ "$(scope_hash)" = "$first" ] || fail "the scope moved while paused"
  compared=yes
  break
done
[ -n "$compared" ] || fail "the console did not stay paused for 1.5 s, twice"

toggle_to 1 108 "Pause ," 880 5
first=$(scope_hash)
poll "$WAIT_SECONDS" scope_differs_from "$first" || fail "the scope stands still after resuming"
press_ending_key Escape
wait_vorn
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "PASS"
