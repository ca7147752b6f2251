# Without a display vorn says why on standard error and fails.
set -uo pipefail
VORN=$1
err=$(env -u DISPLAY -u WAYLAND_DISPLAY "$VORN" 2>&1 >/dev/null)
code=$?
[ "$code" -ne 0 ] || { echo "FAIL: exit code 0 without a display"; exit 1; }
[ "$(printf '%s\n' "$err" | wc -l)" -eq 1 ] || { echo "FAIL: not one line: $err"; exit 1; }
case "$err" in
  vorn:*display*) ;;
  *) echo "FAIL: unclear message: $err"; exit 1 ;;
esac
# A display that is named but not there is named in the one line, with no
# words of the display libraries around it.
err=$(env -u WAYLAND_DISPLAY -u XDG_RUNTIME_DIR DISPLAY=:99 "$VORN" 2>&1 >/dev/null)
code=$?
[ "$code" -eq 1 ] || { echo "FAIL: exit code $code with a missing X server"; exit 1; }
[ "$err" = 'vorn: cannot open the console window: cannot connect to display ":99"' ] ||
  { echo "FAIL: missing X server: $err"; exit 1; }
err=$(env -u DISPLAY -u XDG_RUNTIME_DIR WAYLAND_DISPLAY=vorn-none "$VORN" 2>&1 >/dev/null)
[ "$err" = 'vorn: cannot open the console window: cannot connect to Wayland display "vorn-none"' ] ||
  { echo "FAIL: missing Wayland display: $err"; exit 1; }
echo "PASS"
