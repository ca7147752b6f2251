#!/usr/bin/env bash
# What vorn must not touch, through the built program: a recording refuses a
# name that stands on the disk (a journal, a NAME.part an earlier recording
# left, a link, a folder) or a folder it cannot write in, and a replay
# refuses a picture that would replace the journal itself, a file that is no
# picture, a folder or a temporary file in the way, each before anything is
# written, with one line and exit status 1; the folder is the same before
# and after, to the byte. A recording whose window cannot open leaves
# nothing behind. Needs no display.
# Arguments: the vorn binary, the golden journal.
set -euo pipefail
VORN=$1
GOLDEN=$2
WORK=$(mktemp -d)
D=$WORK/files
LOCKED=$D/locked
unlock() {
  chattr -i "$LOCKED" 2>/dev/null || true
  chmod 755 "$LOCKED" 2>/dev/null || true
}
trap 'unlock; rm -rf "$WORK"' EXIT

fail() {
  echo "FAIL: $*" >&2
  exit 1
}

# Every entry of the folder: its kind, size, link target and contents.
listing() {
  (cd "$D" && find . -printf '%p %y %s %l\n' | sort && find . -type f -exec md5sum {} + | sort)
}

# refused TEXT ARGS...: vorn ends with 1 and one line holding TEXT, and the
# folder is as it was.
refused() {
  local text=$1 status=0
  shift
  listing > "$WORK/before"
  "$VORN" "$@" > "$WORK/out" 2> "$WORK/err" || status=$?
  local err
  err=$(cat "$WORK/err")
  [ "$status" = 1 ] || fail "vorn $* ended with $status: $err"
  [ "$(wc -l < "$WORK/err")" = 1 ] || fail "vorn $*: not one line on standard error: $err"
  [[ $err == "vorn: "*"$text"* ]] || fail "vorn $*: \"$err\" does not say \"$text\""
  listing > "$WORK/after"
  cmp -s "$WORK/before" "$WORK/after" || fail "vorn $* changed the folder: $(diff "$WORK/before" "$WORK/after")"
  echo "ok: vorn $* -> $err"
}

mkdir -p "$D/sessions"
printf "a teacher's drill" > "$D/drill.vornj"
printf 'a recording cut off by a crash' > "$D/crash.vornj.part"
ln -s "$D/elsewhere" "$D/dangling.vornj.part"
ln -s "$D/drill.vornj" "$D/link.vornj"
cp "$GOLDEN" "$D/s.vornj"
ln "$D/s.vornj" "$D/hard.png"
ln -s "$D/s.vornj" "$D/soft.png"
printf 'half a picture' > "$D/end.png.part"
printf "a user's notes" > "$D/notes.png"
mkdir "$LOCKED"
# A folder nobody may write in; the superuser may write in any, unless it is
# immutable.
if [ "$(id -u)" = 0 ]; then
  chattr +i "$LOCKED" 2>/dev/null || LOCKED=""
else
  chmod 555 "$LOCKED"
fi

# --- recordings: refused before the window would open -------------------
refused "cannot record to $D/drill.vornj: it exists already" --record "$D/drill.vornj"
refused "cannot record to $D/link.vornj: it exists already" --record "$D/link.vornj"
refused "$D/crash.vornj.part is there from an earlier recording (it replays with vorn --replay $D/crash.vornj.part)" \
  --record "$D/crash.vornj"
refused "$D/dangling.vornj.part is there from an earlier recording" --record "$D/dangling.vornj"
refused "cannot record to $D/sessions: it is a folder" --record "$D/sessions"
refused "cannot record to $D/sessions/: it is a folder" --record "$D/sessions/"
refused "cannot record to $D/new/: it is a folder" --record "$D/new/"
refused "cannot create $D/no/such/x.vornj.part: No such file or directory" --record "$D/no/such/x.vornj"
[ -n "$LOCKED" ] && refused "cannot create $LOCKED/x.vornj.part: " --record "$LOCKED/x.vornj"
# No window: the file made for the recording goes again, holding nothing.
(
  unset DISPLAY WAYLAND_DISPLAY
  refused "cannot open the console window" --record "$D/new.vornj"
)

# --- pictures: refused before the replay --------------------------------
for picture in "$D/s.vornj" "$D/./s.vornj" "$D/hard.png" "$D/soft.png"; do
  refused "cannot save the picture as $picture: it is the journal being replayed" \
    --replay "$D/s.vornj" --headless --screenshot "$picture"
done
refused "cannot save the picture as $D/sessions: it is a folder" \
  --replay "$D/s.vornj" --headless --screenshot "$D/sessions"
refused "cannot save the picture as $D/pictures/: it is a folder" \
  --replay "$D/s.vornj" --headless --screenshot "$D/pictures/"
refused "cannot save the picture as $D/notes.png: a file that is no PNG picture stands there" \
  --replay "$D/s.vornj" --headless --screenshot "$D/notes.png"
refused "cannot save the picture as $D/end.png: $D/end.png.part is in the way" \
  --replay "$D/s.vornj" --headless --screenshot "$D/end.png"
refused "cannot save the picture in $D/no/such: No such file or directory" \
  --replay "$D/s.vornj" --headless --screenshot "$D/no/such/end.png"
[ -n "$LOCKED" ] && refused "cannot save the picture in $LOCKED: " \
  --replay "$D/s.vornj" --headless --screenshot "$LOCKED/end.png"
echo PASS
