#!/usr/bin/env bash
# What syncing a recording's blocks costs the frame pace, on the disk of the
# given folders: journal_sync (bench/journal_sync.cpp) for each way of
# syncing, ROUNDS times each, SECONDS each, taking turns.
#   bench/journal_sync.sh MEASURE SECONDS ROUNDS FOLDER...
# (MEASURE: the journal_sync program, build/release/bench/journal_sync)
# A slow disk to try it on (as root): a file system on a loop device whose
# writes are held to 20 a second and 1 MB/s by the blkio cgroup:
#   truncate -s 256M slow.img && mkfs.ext4 -q slow.img
#   mount "$(losetup -f --show slow.img)" /mnt/slow     # say /dev/loop0, 7:0
#   echo "7:0 20" > /sys/fs/cgroup/blkio/blkio.throttle.write_iops_device
#   echo "7:0 1048576" > /sys/fs/cgroup/blkio/blkio.throttle.write_bps_device
set -euo pipefail
MEASURE=$1
SECONDS_EACH=$2
ROUNDS=$3
shift 3
for folder in "$@"; do
  work=$(mktemp -d "$folder/journal-sync.XXXXXX")
  echo "== $folder ($(df -T "$folder" | awk 'NR == 2 { print $1, $2 }'))"
  for round in $(seq "$ROUNDS"); do
    for policy in close start block; do
      "$MEASURE" "$work" "$SECONDS_EACH" "$policy"
      rm -f "$work"/*
    done
  done
  rmdir "$work"
done
