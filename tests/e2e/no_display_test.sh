# Without a display vorn says why on standard error and fails.
set -uo pipefail
VORN=$1
err=$(env -u DISPLAY -u WAYLAND_DISPLAY "$VORN" 2>&1 >/dev/null)
code=$?
[ "$code" -ne 0 ] || { echo "FAIL: exit code 0 without a display"; exit 1; }
[ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] || { echo "FAIL: not one line: $err"; exit 1; }
case "$err" in
  vorn:*display*) echo "PASS" ;;
  *) echo "FAIL: unclear message: $err"; exit 1 ;;
esac
