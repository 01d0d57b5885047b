#!/usr/bin/env bash
# The real program under wine64 on a virtual display: a hard link is made
# (both names are one file on the Linux side), and a run without arguments
# shows the usage note and ends with status 0.
#
#   smoke.sh <tolvik.exe> <tolvik_probe.exe>
set -euo pipefail
tolvik=$1
probe=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
wine=("$here/cmake/wine-run.sh")

scratch=$(mktemp -d /tmp/tolvik-smoke.XXXXXX)
display=""
export TOLVIK_WINEPREFIX=${TOLVIK_WINEPREFIX:-$here/build/wineprefix}
cleanup() {
  # Wine's processes go before their display does.
  WINEPREFIX=$TOLVIK_WINEPREFIX /usr/lib/wine/wineserver -k 2>/dev/null || true
  [ -n "$display" ] && kill "$xvfb_pid" 2>/dev/null || true
  rm -rf "$scratch"
}
trap cleanup EXIT

# A display of our own for the message box.
for n in $(seq 90 120); do
  if [ ! -e "/tmp/.X11-unix/X$n" ] && [ ! -e "/tmp/.X$n-lock" ]; then display=":$n"; break; fi
done
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb_pid=$!
export DISPLAY=$display
for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X${display#:}" ] && break; sleep 0.1; done

hex() { printf '%s' "$1" | od -An -tx1 | tr -d ' \n'; }
windows_path() { printf 'Z:%s' "${1//\//\\}"; }
failures=0
check() {
  if [ "$2" = "$3" ]; then echo "ok   $1"; else echo "FAIL $1: expected [$3], got [$2]"; failures=$((failures + 1)); fi
}

echo data >"$scratch/source.txt"
src=$(windows_path "$scratch/source.txt")
dst=$(windows_path "$scratch/link.txt")
out=$("${wine[@]}" "$probe" "$tolvik" "$(hex "tolvik.exe $src $dst")" 20000 | tr -d '\r')
check "hard link: exit status" "$(grep '^exit' <<<"$out" || true)" "exit 0"
check "hard link: no box" "$(grep -c '^box' <<<"$out" || true)" "0"
check "hard link: one file" "$(stat -c %i "$scratch/link.txt" 2>/dev/null || echo none)" \
  "$(stat -c %i "$scratch/source.txt")"

# 【書式】 and ジャンクション 又は ハードリンクの作成, in code page 932.
out=$("${wine[@]}" "$probe" "$tolvik" "$(hex "tolvik.exe")" 20000 | tr -d '\r')
check "no arguments: exit status" "$(grep '^exit' <<<"$out" || true)" "exit 0"
check "no arguments: usage caption" "$(grep '^caption' <<<"$out" || true)" \
  "caption 835783838393834E83568387839320969482CD20836E815B8368838A8393834E82CC8DEC90AC"
check "no arguments: usage text starts with the heading" \
  "$(grep -o '^text 81798F918EAE817A' <<<"$out" || true)" "text 81798F918EAE817A"

echo "$((6 - failures)) passed, $failures failed"
[ "$failures" -eq 0 ]
