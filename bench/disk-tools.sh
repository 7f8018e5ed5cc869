#!/usr/bin/env bash
# Times the diskutil stand-in against lsblk on the same loop devices.
#   disk-tools.sh [--cold] [N [DISKUTIL]]
# Attaches N sparse loop images (default 32; half ext4 with labels, four of
# those mounted), then runs each pair of commands 11 times interleaved and
# prints the medians:
#   info -all N devices: ratio R (tarnvik X ms, lsblk Y ms)
#   info one device: ratio R (tarnvik X ms, lsblk Y ms)
# Runs that follow each other within three seconds reuse what the stand-in
# probed, as the listings of one scan do; --cold removes that before each of
# its runs, so every run reads every device. DISKUTIL defaults to the one in
# build/. Everything it made is removed on the way out, also when
# interrupted. Needs root; without it, it says so and exits 0.
set -euo pipefail
export PATH="$PATH:/usr/sbin:/sbin"

cold=false
if [ "${1:-}" = "--cold" ]; then
  cold=true
  shift
fi
count=${1:-32}
top=$(cd "$(dirname "$0")/.." && pwd)
diskutil=${2:-$top/build/libexec/tarnvik/diskutil}
pairs=11

if [ "$(id -u)" -ne 0 ] || [ ! -e /dev/loop-control ]; then
  echo "disk-tools.sh: needs root and /dev/loop-control to attach loop devices; nothing measured"
  exit 0
fi
case "$count" in '' | *[!0-9]* | 0) echo "usage: $0 [N [DISKUTIL]] with N > 0" >&2; exit 2 ;; esac
[ -x "$diskutil" ] || { echo "disk-tools.sh: no diskutil at $diskutil (build first)" >&2; exit 1; }
command -v lsblk >/dev/null && command -v losetup >/dev/null && command -v mkfs.ext4 >/dev/null ||
  { echo "disk-tools.sh: needs lsblk, losetup and mkfs.ext4" >&2; exit 1; }

work=$(mktemp -d /tmp/tarnvik-bench-XXXXXX)
cleanup() {
  trap - EXIT INT TERM HUP
  local dir image node
  for dir in "$work"/mnt/*; do
    if [ -d "$dir" ] && mountpoint -q "$dir"; then umount -l "$dir"; fi
  done
  # Whatever is attached to our images, even one attached just before an interrupt.
  for image in "$work"/*.img; do
    for node in $(losetup -n -O NAME -j "$image" 2>/dev/null); do losetup -d "$node" || true; done
  done
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 130' INT TERM HUP

# One template image per kind, copied sparse: mkfs runs twice, not N times.
mkdir -p "$work/mnt"
truncate -s 64M "$work/ext4.img" "$work/raw.img"
mkfs.ext4 -q -F "$work/ext4.img"
mounted=0
for ((i = 0; i < count; i++)); do
  image=$work/disk$i.img
  if ((i % 2 == 0)); then
    cp --sparse=always "$work/ext4.img" "$image"
    tune2fs -L "bench $i" -U random "$image" >/dev/null
  else
    cp --sparse=always "$work/raw.img" "$image"
  fi
  node=$(losetup -f --show "$image")
  if ((i % 2 == 0 && mounted < 4)); then
    mkdir "$work/mnt/$i"
    mount -o ro "$node" "$work/mnt/$i"
    mounted=$((mounted + 1))
  fi
done
one=$node

# Microseconds of one run of a command, output discarded; the clock is read without starting a process.
elapsed() {
  local start end
  start=${EPOCHREALTIME/./}
  "$@" >/dev/null 2>&1
  end=${EPOCHREALTIME/./}
  echo $((end - start))
}

median() {
  sort -n | awk '{ v[NR] = $1 } END { printf "%.1f", v[int((NR + 1) / 2)] / 1000 }'
}

forget() {
  if $cold; then rm -f /run/tarnvik/probe-cache; fi
}
ours_all() { forget; "$diskutil" info -all; }
lsblk_all() { lsblk -O -J; }
ours_one() { forget; "$diskutil" info "${one#/dev/}"; }
lsblk_one() { lsblk -O -J "$one"; }

measure() {
  local label=$1 mine=$2 theirs=$3 ours=() lsblks=() i x y
  for ((i = 0; i < pairs; i++)); do
    ours+=("$(elapsed "$mine")")
    lsblks+=("$(elapsed "$theirs")")
  done
  x=$(printf '%s\n' "${ours[@]}" | median)
  y=$(printf '%s\n' "${lsblks[@]}" | median)
  echo "$label: ratio $(awk -v x="$x" -v y="$y" 'BEGIN { printf "%.2f", x / y }') (tarnvik $x ms, lsblk $y ms)"
}

# One untimed run of each first, so neither pays for loading its libraries.
ours_all >/dev/null
lsblk_all >/dev/null
measure "info -all $count devices" ours_all lsblk_all
measure "info one device" ours_one lsblk_one
