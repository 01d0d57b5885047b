#!/usr/bin/env bash
# Writes the mount-point records the program builds onto empty directories of
# a fresh NTFS image mounted with ntfs-3g, and follows the junctions after a
# fresh mount. Exit status 77 (skipped) where FUSE, ntfs-3g or root is missing.
#   ntfs_records.sh <record_hex helper>
set -euo pipefail
helper=$1
skip() { echo "*** SKIPPED: $* -- the records were NOT checked against ntfs-3g ***" >&2; exit 77; }
[ -c /dev/fuse ] && [ "$(id -u)" = 0 ] || skip "no /dev/fuse, or not root"
command -v mkntfs setfattr >/dev/null || skip "ntfs-3g and attr are not installed"
work=$(mktemp -d /tmp/tolvik-ntfs.XXXXXX) mnt=$work/mnt failed=0
trap 'umount "$mnt" 2>/dev/null || umount -l "$mnt" 2>/dev/null; rm -rf "$work"' EXIT
truncate -s 16M "$work/image"
mkntfs -F -q -f "$work/image" >/dev/null 2>&1
mkdir "$mnt"
ntfs-3g "$work/image" "$mnt" || skip "ntfs-3g cannot mount here"

# The folder each junction leads to, as a path inside the image; the record
# is for C:\ and that path. 267 units is the longest target; data. is not
# data, as a verbatim source names it; a〜b한😀, a pair of units included, is
# a name that only the wide calls take as typed.
long=$(printf 'd%.0s' {1..200})/$(printf 'e%.0s' {1..59})
folders=(data "my data" 予定表 a〜b한😀 "$long" data.)
for i in "${!folders[@]}"; do
  folder=${folders[$i]}
  mkdir -p "$mnt/$folder" "$mnt/link-$i"
  echo "$i" >"$mnt/$folder/marker"
  units=$(printf 'C:\\%s' "${folder//\//\\}" | iconv -t UTF-16LE | od -An -vtx2)
  # shellcheck disable=SC2086 # one argument per unit
  if ! setfattr -n system.ntfs_reparse_data -v "$("$helper" $units)" "$mnt/link-$i"; then
    echo "FAIL $folder: ntfs-3g refused the record"; failed=1
  fi
done
umount "$mnt" && ntfs-3g "$work/image" "$mnt"
for i in "${!folders[@]}"; do
  [ "$(cat "$mnt/link-$i/marker" 2>/dev/null)" = "$i" ] && echo "ok    ${folders[$i]:0:40}: leads there" ||
    { echo "FAIL  ${folders[$i]:0:40}: leads to '$(readlink "$mnt/link-$i")'"; failed=1; }
done
exit $failed
