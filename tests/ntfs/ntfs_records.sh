#!/usr/bin/env bash
# Writes the mount-point records the program builds onto empty directories of
# a fresh NTFS image mounted with ntfs-3g, and checks that ntfs-3g takes each
# one as it is and that the junction leads where it should.
#   ntfs_records.sh <mount_point_hex helper>
# Exit status 77 (skipped) where FUSE or ntfs-3g cannot be had; never a pass
# without having mounted the image.
set -euo pipefail
helper=$1

skip() {
  echo "*** SKIPPED: $* -- the records were NOT checked against ntfs-3g ***" >&2
  exit 77
}
[ -c /dev/fuse ] || skip "/dev/fuse is missing (no FUSE in this machine or container)"
for tool in mkntfs ntfs-3g setfattr getfattr mountpoint; do
  command -v "$tool" >/dev/null || skip "$tool is not installed (scripts/install-deps.sh installs it)"
done
[ "$(id -u)" = 0 ] || skip "mounting an image with ntfs-3g needs root here"

work=$(mktemp -d /tmp/tolvik-ntfs.XXXXXX)
mnt=$work/mnt
cleanup() {
  if mountpoint -q "$mnt" 2>/dev/null; then umount "$mnt" 2>/dev/null || umount -l "$mnt" || true; fi
  rm -rf "$work"
}
trap cleanup EXIT INT TERM

truncate -s 16M "$work/image"
mkntfs -F -q -f "$work/image" >/dev/null 2>&1
mkdir "$mnt"
mount_image() {
  ntfs-3g "$work/image" "$mnt" 2>"$work/mount.log" ||
    skip "ntfs-3g cannot mount here: $(cat "$work/mount.log")"
}
mount_image

# name | full path the junction leads to | folder it means inside the image |
# what must happen: leads (the link reaches the folder), nowhere (ntfs-3g
# takes the record, but it leads to no folder), refused (the program builds no
# record), corrupt (the record with ReparseDataLength off by two: ntfs-3g
# must refuse it, which shows that it checks what it is given)
long1=$(printf 'd%.0s' {1..200})
long2=$(printf 'e%.0s' {1..59})
rows=(
  "short|C:\\data|data|leads"
  "with blanks|C:\\my data|my data|leads"
  "double-byte|C:\\予定表|予定表|leads"
  "267 units, just under the limit|C:\\$long1\\$long2|$long1/$long2|leads"
  "trailing backslash|C:\\data\\|data|leads"
  "relative: \\??\\data|data|data|nowhere"
  "268 units, one too many|C:\\$long1\\${long2}e|$long1/${long2}e|refused"
  "lengths that disagree|C:\\data|data|corrupt"
)

failures=0
fail() {
  echo "FAIL  $*"
  failures=$((failures + 1))
}

declare -A written
i=0
for row in "${rows[@]}"; do
  IFS='|' read -r name target folder want <<<"$row"
  i=$((i + 1))
  mkdir -p "$mnt/$folder"
  echo "$i" >"$mnt/$folder/marker-$i"
  mkdir "$mnt/link-$i"
  status=0
  hex=$("$helper" "$target") || status=$?
  if [ "$want" = refused ]; then
    if [ "$status" = 2 ] && [ -z "$hex" ]; then echo "ok    $name: no record built"; else fail "$name: a record was built"; fi
    continue
  fi
  [ "$status" = 0 ] || { fail "$name: the helper failed ($status)"; continue; }
  if [ "$want" = corrupt ]; then
    # ReparseDataLength is bytes 4 and 5; two more than the data that follows.
    length=$((16#${hex:12:2}${hex:10:2} + 2))
    hex=${hex:0:10}$(printf '%02x%02x' $((length & 255)) $((length >> 8)))${hex:14}
    if setfattr -n system.ntfs_reparse_data -v "$hex" "$mnt/link-$i" 2>/dev/null; then
      fail "$name: ntfs-3g took a record whose lengths disagree"
    else
      echo "ok    $name: ntfs-3g refused it"
    fi
    continue
  fi
  if ! setfattr -n system.ntfs_reparse_data -v "$hex" "$mnt/link-$i" 2>"$work/setfattr.log"; then
    fail "$name: ntfs-3g refused the record: $(cat "$work/setfattr.log")"
    continue
  fi
  written[$i]=$hex
done

# Mounted afresh, so that nothing is answered from what the kernel still
# remembers of the empty directories.
umount "$mnt"
mount_image

i=0
for row in "${rows[@]}"; do
  IFS='|' read -r name target folder want <<<"$row"
  i=$((i + 1))
  [ -n "${written[$i]:-}" ] || continue
  link=$mnt/link-$i
  stored=$(getfattr -h -e hex -n system.ntfs_reparse_data "$link" 2>/dev/null | sed -n 's/^system.ntfs_reparse_data=//p')
  [ "$stored" = "${written[$i]}" ] || { fail "$name: ntfs-3g holds another record: $stored"; continue; }
  case $want in
    leads)
      if [ "$(realpath -e "$link" 2>/dev/null)" = "$(realpath -e "$mnt/$folder")" ] &&
        [ "$(cat "$link/marker-$i" 2>/dev/null)" = "$i" ]; then
        echo "ok    $name: leads to /$folder"
      else
        fail "$name: leads to '$(readlink "$link" 2>&1)', not /$folder"
      fi
      ;;
    nowhere)
      if [ -e "$link/marker-$i" ] || realpath -e "$link" >/dev/null 2>&1; then
        fail "$name: leads somewhere: $(readlink "$link")"
      else
        echo "ok    $name: taken as it is, leads nowhere ($(readlink "$link" 2>&1))"
      fi
      ;;
  esac
done

echo "$failures of ${#rows[@]} records wrong"
[ "$failures" -eq 0 ]
