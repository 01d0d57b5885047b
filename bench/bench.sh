#!/usr/bin/env bash
# Prints what a run of tolvik costs; never fails on timing.
#
#   bash bench/bench.sh [runs]
#
# Under Wine, the shipped 32-bit program and a 32-bit empty one, both through
# the 32-bit loader, natively or under qemu-i386 as scripts/install-deps.sh
# set it up (the first line printed says which): one round runs, side by
# side, the empty program (the floor: Wine and process start), tolvik.exe
# FILE LINK (a hard link, removed again), and Wine's own cmd /c mklink /H
# LINK FILE. Medians over the rounds, and ratios. Then the executable's size,
# and callgrind's instruction counts for the command-line code on command
# lines up to 32 KiB.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
runs=${1:-21}

bash scripts/install-deps.sh valgrind | tail -n 1
cmake --preset windows-x86 >/dev/null
cmake --build --preset windows-x86 >/dev/null
cmake -S . -B build/bench-host -G Ninja -DCMAKE_BUILD_TYPE=Release -DTOLVIK_BUILD_TESTS=OFF >/dev/null
cmake --build build/bench-host --target tolvik_command_line_cost >/dev/null

export WINEPREFIX=$PWD/build/bench-wineprefix WINEDEBUG=-all WINEDLLOVERRIDES=mscoree,mshtml=
wine=/usr/lib/wine/wine64
scratch=$(mktemp -d /tmp/tolvik-bench.XXXXXX)
cleanup() { /usr/lib/wine/wineserver -k 2>/dev/null || true; rm -rf "$scratch"; }
trap cleanup EXIT
[ -f "$WINEPREFIX/system.reg" ] || { "$wine" wineboot --init >/dev/null 2>&1; /usr/lib/wine/wineserver -w; }
/usr/lib/wine/wineserver -p  # one server for all the runs, as on a running system

echo data >"$scratch/file.txt"
file="Z:${scratch//\//\\}\\file.txt"
link="Z:${scratch//\//\\}\\link.txt"
empty=build/windows-x86/tolvik_empty.exe
tolvik=build/windows-x86/tolvik.exe

now() { date +%s%N; }
declare -a t_empty t_tolvik t_mklink
for round in $(seq 0 "$runs"); do
  a=$(now); "$wine" "$empty"; b=$(now)
  "$wine" "$tolvik" "$file" "$link"; c=$(now)
  [ -e "$scratch/link.txt" ] || { echo "tolvik made no link" >&2; exit 1; }
  rm -f "$scratch/link.txt"
  d=$(now); "$wine" cmd /c mklink /H "$link" "$file" >/dev/null; e=$(now)
  rm -f "$scratch/link.txt"
  [ "$round" -eq 0 ] && continue  # the first round warms the caches
  t_empty+=($(((b - a) / 1000))); t_tolvik+=($(((c - b) / 1000))); t_mklink+=($(((e - d) / 1000)))
done
median() { printf '%s\n' "$@" | sort -n | awk '{v[NR]=$1} END {print (NR%2) ? v[(NR+1)/2] : int((v[NR/2]+v[NR/2+1])/2)}'; }
me=$(median "${t_empty[@]}"); mt=$(median "${t_tolvik[@]}"); mm=$(median "${t_mklink[@]}")
ms() { awk -v us="$1" 'BEGIN {printf "%.1f ms", us / 1000}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.3f", a / b}'; }

echo "== One run under Wine, the 32-bit builds, median of $runs rounds side by side"
printf '%-44s %10s\n' "empty GUI program (KERNEL32 + C runtime)" "$(ms "$me")"
printf '%-44s %10s   %s x floor\n' "tolvik.exe FILE LINK (hard link)" "$(ms "$mt")" "$(ratio "$mt" "$me")"
printf '%-44s %10s   tolvik is %s x this\n' "cmd /c mklink /H LINK FILE" "$(ms "$mm")" "$(ratio "$mt" "$mm")"
echo
echo "== Executable size"
printf '%-44s %6d bytes\n' "$tolvik" "$(stat -c %s "$tolvik")"
echo
echo "== Command-line code (count, first and second argument), callgrind instructions"
for bytes in 4096 8192 16384 32768; do
  out=$(valgrind --tool=callgrind --callgrind-out-file=/dev/null --toggle-collect=MeasureCommandLine \
    build/bench-host/tolvik_command_line_cost "$bytes" 2>&1 >/dev/null | sed -n 's/.*Collected : *//p')
  printf '%6d bytes %12d instructions %8.1f per byte\n' "$bytes" "$out" "$(awk -v i="$out" -v b="$bytes" 'BEGIN {print i / b}')"
done
