#!/usr/bin/env bash
# Runs the README's set-up command as a newcomer would on a bare Debian 12: a
# minimal root made with debootstrap from Debian's archive, this tree's
# committed HEAD cloned into it, and `bash tools/setup.sh MODE` run there.
#   test  builds everything and passes every test (the browser tests with
#         Debian's own Node and Chromium; the log says which versions ran)
#   run   shows the console on this machine's X display ($DISPLAY) and ends it
#         with q once its first screen is drawn
#   web   serves the site and ends the server once the page answers
# With FOLDER the root is made there, or used again if it is there already
# (the packages stay installed and the clone is moved to the new HEAD, its
# build kept), and kept at the end; without it a new root is made in
# /var/tmp and removed at the end. Needs root, debootstrap and the network.
# The proxy's CA certificates (/usr/local/share/ca-certificates), ~/.npmrc and
# /etc/resolv.conf are copied in when this machine has them, as a user
# behind a proxy would set up a new machine.
# Usage: bash tools/fresh-debian.sh test|run|web [FOLDER]
set -euo pipefail

MODE=${1:-}
case "$MODE" in
  test | run | web) ;;
  *) echo "usage: bash tools/fresh-debian.sh test|run|web [FOLDER]" >&2; exit 2 ;;
esac
REPO=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
MIRROR=http://deb.debian.org/debian

say() { echo "fresh-debian: $*"; }
fail() { echo "fresh-debian: FAIL: $*" >&2; exit 1; }
# This machine cannot make or enter the root (no debootstrap, no archive, no
# mounts): exit status 3, which tells that from a set-up that failed.
cannot() { echo "fresh-debian: CANNOT: $*" >&2; exit 3; }

[ "$(id -u)" -eq 0 ] || cannot "needs root (debootstrap, mount, chroot)"
command -v debootstrap >/dev/null || cannot "debootstrap is missing (apt-get install debootstrap)"
if [ "$MODE" = run ]; then
  [ -n "${DISPLAY:-}" ] || fail "run needs an X display (DISPLAY)"
  command -v xdotool >/dev/null || fail "run needs xdotool here to end the console"
fi
if [ "$MODE" = web ] && (exec 3<>/dev/tcp/127.0.0.1/8000) 2>/dev/null; then
  fail "something answers on 127.0.0.1:8000 already; the site is served there"
fi

KEEP=""
if [ -n "${2:-}" ]; then
  KEEP=yes
  mkdir -p "$2"
  ROOT=$(cd "$2" && pwd)
else
  ROOT=$(mktemp -d /var/tmp/fresh-debian.XXXXXX)
fi
[ "$ROOT" != / ] || fail "the root cannot be /"
# A folder given is used only if it is empty or a root this script made.
MARK=$ROOT/etc/vorn-fresh-debian
if [ -n "$KEEP" ] && [ ! -f "$MARK" ] && [ -n "$(ls -A "$ROOT")" ]; then
  fail "$ROOT holds files and is no root made by this script; give an empty or new folder"
fi

# --- mounts, undone on every exit --------------------------------------------
MOUNTED=()
CHILD=""
under_root() { awk -v r="$ROOT/" 'index($2, r) == 1' /proc/self/mounts; }
cleanup() {
  local i
  set +e
  if [ -n "$CHILD" ]; then
    kill "$CHILD" 2>/dev/null
    wait "$CHILD" 2>/dev/null
  fi
  for ((i = ${#MOUNTED[@]} - 1; i >= 0; i--)); do
    umount -R -l "${MOUNTED[i]}" 2>/dev/null || say "could not unmount ${MOUNTED[i]}"
  done
  if [ -n "$(under_root)" ]; then
    say "mounts remain under $ROOT; it is left as it is"
  elif [ -z "$KEEP" ]; then
    rm -rf --one-file-system "$ROOT"
  else
    say "the root is kept in $ROOT"
  fi
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

mount_in() { # mount_in TARGET MOUNT-ARGUMENTS...
  local target=$ROOT$1
  shift
  mkdir -p "$target"
  mount "$@" "$target" || cannot "this machine refuses a mount on $target"
  MOUNTED+=("$target")
}

started=$SECONDS
if [ ! -f "$MARK" ]; then
  say "making a minimal Debian 12 in $ROOT"
  log=$(mktemp /var/tmp/debootstrap.XXXXXX.log)
  debootstrap --variant=minbase bookworm "$ROOT" "$MIRROR" > "$log" 2>&1 ||
    { tail -20 "$log" >&2; cannot "debootstrap failed; its log: $log"; }
  rm -f "$log"
  cat > "$ROOT/etc/apt/sources.list" <<EOF
deb $MIRROR bookworm main
deb $MIRROR bookworm-updates main
deb http://security.debian.org/debian-security bookworm-security main
EOF
  touch "$MARK"
  say "debootstrap took $((SECONDS - started)) s"
else
  say "using the Debian root in $ROOT again"
fi

# Chromium needs /dev/shm; the tests need /proc and /dev. The binds are made
# slaves so that nothing mounted under them reaches this machine's tree.
[ -n "$(under_root)" ] && fail "something is mounted under $ROOT already"
mount_in /proc -t proc proc
mount_in /sys --rbind /sys
mount --make-rslave "$ROOT/sys" || cannot "this machine refuses to make /sys a slave mount"
mount_in /dev --rbind /dev
mount --make-rslave "$ROOT/dev" || cannot "this machine refuses to make /dev a slave mount"
mount_in /dev/shm -t tmpfs -o mode=1777 tmpfs
if [ "$MODE" = run ]; then
  mount_in /tmp/.X11-unix --bind /tmp/.X11-unix
fi

# --- network trust and settings ------------------------------------------------
[ -f /etc/resolv.conf ] && cp -L /etc/resolv.conf "$ROOT/etc/resolv.conf"
if compgen -G '/usr/local/share/ca-certificates/*.crt' >/dev/null; then
  mkdir -p "$ROOT/usr/local/share/ca-certificates"
  cp /usr/local/share/ca-certificates/*.crt "$ROOT/usr/local/share/ca-certificates/"
  say "copied this machine's extra CA certificates (a proxy's) into the root"
fi
[ -f "$HOME/.npmrc" ] && cp "$HOME/.npmrc" "$ROOT/root/.npmrc"

in_root() {
  chroot "$ROOT" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    NODE_EXTRA_CA_CERTS=/etc/ssl/certs/ca-certificates.crt "$@"
}
in_root true || cannot "this machine refuses to enter the root (chroot)"
# An installed Debian has the CA certificates; minbase has not.
if ! in_root dpkg-query -W -f='${Status}' ca-certificates 2>/dev/null | grep -q 'ok installed'; then
  in_root apt-get update -qq
  in_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends \
    ca-certificates > /dev/null
fi
in_root update-ca-certificates > /dev/null 2>&1 || true

# --- the tree: this one's committed HEAD ----------------------------------------
CLONE=$ROOT/root/vorn
if [ -d "$CLONE/.git" ]; then
  git -C "$CLONE" fetch -q "$REPO" HEAD
  git -C "$CLONE" checkout -q --force --detach FETCH_HEAD
else
  git clone -q --no-hardlinks "$REPO" "$CLONE"
  git -C "$CLONE" checkout -q --detach "$(git -C "$REPO" rev-parse HEAD)"
fi
say "cloned $(git -C "$CLONE" log -1 --format='%h %s')"

# --- the set-up command -----------------------------------------------------------
say "running bash tools/setup.sh $MODE in the root"
setup_started=$SECONDS
status=0
case "$MODE" in
  test)
    in_root env -C /root/vorn bash tools/setup.sh test || status=$?
    ;;
  run)
    # setup.sh becomes the console (exec), so this pid is the console's.
    in_root env -C /root/vorn DISPLAY="$DISPLAY" bash tools/setup.sh run &
    CHILD=$!
    window=""
    until [ -n "$window" ]; do
      kill -0 "$CHILD" 2>/dev/null || break
      window=$(xdotool search --onlyvisible --name '^vorn$' 2>/dev/null | head -1 || true)
      sleep 1
    done
    [ -n "$window" ] || { wait "$CHILD" || status=$?; CHILD=""; fail "no console window (status $status)"; }
    # The first screen: the window's top row has drawn text.
    for _ in $(seq 100); do
      if ! command -v import >/dev/null ||
        [ "$(import -window "$window" -crop 640x16+640+0 -colorspace gray -format '%[fx:mean>0.02]' info: 2>/dev/null)" = 1 ]; then
        break
      fi
      sleep 0.2
    done
    say "the console shows its window; ending it with q"
    xdotool key --window "$window" q 2>/dev/null || true
    wait "$CHILD" || status=$?
    CHILD=""
    ;;
  web)
    in_root env -C /root/vorn bash tools/setup.sh web &
    CHILD=$!
    answered=""
    while kill -0 "$CHILD" 2>/dev/null; do
      if python3 -c 'import urllib.request; urllib.request.urlopen("http://127.0.0.1:8000/", timeout=5)' 2>/dev/null; then
        answered=yes
        break
      fi
      sleep 1
    done
    [ -n "$answered" ] || { wait "$CHILD" || status=$?; CHILD=""; fail "the server ended before the page answered (status $status)"; }
    say "the page answers at http://127.0.0.1:8000/; ending the server"
    kill "$CHILD"
    wait "$CHILD" 2>/dev/null || true
    CHILD=""
    ;;
esac
say "setup.sh $MODE took $((SECONDS - setup_started)) s and ended with status $status"
if [ "$MODE" = test ]; then
  say "the browser tests ran with node $(in_root node --version 2>&1 || echo missing)," \
    "npm $(in_root npm --version 2>&1 || echo missing)," \
    "$(in_root chromium --version 2>/dev/null || echo 'chromium missing')"
  say "playwright-core $(in_root node -p 'require("/root/vorn/tests/web/node_modules/playwright-core/package.json").version' 2>&1 || echo missing)"
fi
say "all in $((SECONDS - started)) s"
exit "$status"
