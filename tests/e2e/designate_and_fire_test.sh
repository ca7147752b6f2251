# An engagement as the operator sees it: clicking an aircraft's echo
# designates it on the status panel; FIRE at RED sends the missile through
# its phases to the burst, prints the miss distance and destroys the
# aircraft, which drops the designation.
source "$(dirname "$0")/lib.sh"

start_display
start_vorn
wait_for_cells 33 70 "Target Designated      NO "
same_colour "$(cell_colour 33 93 3)" 255,0,0 || fail "NO is not red"
expect_cells 34 100 "Msl Status       Ready  "

# Slot 1: hostile, 88000 yards west and 44060 south, flying east at 300
# yd/s; its intercept is about 75 s after the launch.
# Its echo is on the scope where the scenario puts it: bright pixels, well
# above the noise, once the sweep has passed.
echo_is_lit() {
  read -r x y < <(scope_position -88000 -44060 300 0)
  lit=$(convert "$WORK/shot.ppm" -crop "9x9+$((x - 4))+$((y - 4))" +repage -depth 8 txt:- |
    awk -F'[(),]' 'NR > 1 && $3 + 0 >= 96 { n++ } END { print n + 0 }')
  [ "$lit" -ge 8 ]
}
# The sweep takes a while to come round, longer when the machine is busy.
poll 30 echo_is_lit || fail "no echo at ($x, $y)"
# Clicking the echo designates it.
designate_slot_one click
same_colour "$(cell_colour 33 93 3)" 0,255,0 || fail "YES is not green"
expect_cells 34 70 "Target Tracked         YES"
wait_for_cells 35 70 "Computer Settled       YES"

click 620 920
# Follow the missile's phases on the status panel until the aircraft is
# destroyed and the designation drops.
# The screenshots come as fast as they can: the shortest phase shown here
# lasts 2 s.
phases=()
miss=""
until=$((SECONDS + 150))
while [ "$SECONDS" -lt "$until" ]; do
  shot
  phase=$(cells 34 111 13)
  if [ "${#phases[@]}" -eq 0 ] || [ "${phases[-1]}" != "$phase" ]; then
    phases+=("$phase")
    if [ "$phase" = "      Burst  " ]; then
      same_colour "$(cell_colour 34 111 13)" 255,0,0 || fail "Burst is not red"
    fi
  fi
  if shows_cells 33 70 "Target Designated      NO "; then break; fi
done
# The miss distance, shown at the burst, stays until the next launch.
shows_cells 41 70 "Miss distance yards  X=" && miss=$(cells 41 70 55)
printf 'phases seen:'; printf ' [%s]' "${phases[@]}"; echo
[ -n "$miss" ] || fail "no miss distance shown"
echo "$miss"
[[ "$miss" =~ ^Miss\ distance\ yards\ \ X=\ *[0-9]+\ Y=\ *[0-9]+\ Z=\ *[0-9]+\ Radius=\ *[0-9]+\ \ $ ]] ||
  fail "miss distance line: \"$miss\""

# The phases come in order, from Ready back to Ready; the long ones cannot be
# missed between two screenshots.
order=("      Ready  " " SettleGyro  " "Away, Boost  " "  Roll Stab  " "       Dive  " "1/2g Cruise  "
  "      Burst  " "      Ready  ")
at=0
for phase in "${phases[@]}"; do
  while [ "$at" -lt "${#order[@]}" ] && [ "${order[$at]}" != "$phase" ]; do at=$((at + 1)); done
  [ "$at" -lt "${#order[@]}" ] || fail "phase \"$phase\" out of order"
done
for phase in " SettleGyro  " "Away, Boost  " "      Burst  "; do
  printf '%s\n' "${phases[@]}" | grep -qxF -- "$phase" || fail "phase \"$phase\" never shown"
done
expect_cells 33 70 "Target Designated      NO "
expect_cells 34 100 "Msl Status       Ready  "
press_ending_key q
wait_vorn
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE"
echo "PASS"
