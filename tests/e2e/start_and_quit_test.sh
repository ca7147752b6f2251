# The console opens with the RED lamp lit and the others dim, and "q" ends it
# with exit code 0.
source "$(dirname "$0")/lib.sh"

start_display
start_vorn
wait_for_pixel 500 15 255,0,0
expect_pixel 540 15 0,0,128
expect_pixel 580 15 128,128,0
expect_pixel 620 15 96,96,96
press_ending_key q
wait_vorn
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after q"
echo "PASS"
