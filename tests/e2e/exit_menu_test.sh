# Exit in the mode menu ends the program with exit code 0.
source "$(dirname "$0")/lib.sh"

start_display
start_vorn
wait_for_cells 1 115 "Exit, "
click 930 5
wait_vorn
[ "$EXIT_CODE" = 0 ] || fail "exit code $EXIT_CODE after Exit"
echo "PASS"
