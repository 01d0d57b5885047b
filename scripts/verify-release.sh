#!/usr/bin/env bash
# Builds the current commit twice, in two fresh clones at different paths, one
# after the other: as root under UTC with umask 022, then as the ordinary user
# nobody under Japan's time with umask 077. Compares the program and the
# release ZIP byte for byte, prints the SHA-256 of each from
# both builds beside the toolchain that made them, and fails on any difference.
# As root:
#   bash scripts/verify-release.sh
set -euo pipefail
[ "$(id -u)" = 0 ] || { echo "Run it as root: the second build switches to the user nobody." >&2; exit 2; }
source=$(git -C "$(dirname "$0")/.." rev-parse --show-toplevel)
scratch=$(mktemp -d /tmp/tolvik-verify.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
chmod 755 "$scratch"

steps='nice -n 10 cmake --preset windows-x86 >/dev/null
  nice -n 10 cmake --build --preset windows-x86 --target package >/dev/null'
build() {  # <folder> <time zone> <umask> [how to become the builder]
  local folder=$1 zone=$2 mask=$3
  shift 3
  (umask "$mask" && git -c advice.detachedHead=false clone -q --no-hardlinks "$source" "$folder")
  [ $# = 0 ] || chown -R nobody:nogroup "$folder"
  (cd "$folder" && umask "$mask" && env TZ="$zone" HOME="$folder" "$@" bash -c "$steps")
  echo "$(basename "$folder"): built by $(stat -c %U "$folder/build/windows-x86/tolvik.exe"), TZ=$zone, umask $mask, in $folder"
}

echo "commit $(git -C "$source" log -1 --format='%H, time %ct (%cd)' --date=iso-strict-local)"
echo "toolchain (Debian $(cat /etc/debian_version)):"
dpkg-query -W -f='  ${Package} ${Version}\n' g++-mingw-w64-i686-posix binutils-mingw-w64-i686 zip
build "$scratch/first" UTC0 022
sleep 1
build "$scratch/second-build" JST-9 077 setpriv --reuid=nobody --regid=nogroup --clear-groups

cd "$scratch/first"
status=0
for file in build/windows-x86/tolvik.exe build/windows-x86/package/*.zip; do
  verdict=identical
  cmp -s "$file" "../second-build/$file" || { verdict=DIFFERENT; status=1; }
  echo "$file"
  echo "  first   $(sha256sum <"$file" | cut -d' ' -f1)"
  echo "  second  $(sha256sum <"../second-build/$file" | cut -d' ' -f1)  $verdict"
done
echo "$([ $status = 0 ] && echo "all identical" || echo "FAILED: builds differ"), ${SECONDS} s"
exit $status
