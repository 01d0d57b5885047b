#!/usr/bin/env bash
# Reads a built tolvik.exe with binutils and checks what Windows sees of it:
# a 32-bit GUI program that imports only KERNEL32 and the C runtime,
# within its size budget, carrying nothing but its icon, its version record and
# its manifest (read back against resources.txt, the icon's pixels left out).
# Nothing in it depends on where or when it was built: its time stamp is the
# fixed one and it names no folder of the build.
#   check-exe.sh <tolvik.exe> <objdump> <windres> <time stamp> <source folder>
set -uo pipefail
exe=$1 objdump=$2 windres=$3
failed=0
expect() {  # what actual expected
  [ "$2" = "$3" ] && return
  echo "FAIL $1:"; diff <(echo "$3") <(echo "$2"); failed=1
}
headers=$("$objdump" -p "$exe")
expect magic "$(sed -n 's/^Magic\s*//p' <<<"$headers" | cut -c1-4)" 010b  # PE32
expect subsystem "$(sed -n 's/^Subsystem\s*//p' <<<"$headers")" "00000002	(Windows GUI)"
expect imports "$(sed -n 's/^\s*DLL Name: //p' <<<"$headers")" $'KERNEL32.dll\nmsvcrt.dll'
pe=$(od -An -tu4 -j60 -N4 "$exe")
expect "time stamp" "$(od -An -tu4 -j$((pe + 8)) -N4 "$exe" | tr -d ' ')" "$4"
grep -qaF "$5" "$exe" && expect "build folder" "named in the program" "not named"
# It stays under 25 KiB; the manifest took it past 24 KiB.
size=$(stat -c %s "$exe") budget=25599
echo "$exe: $size bytes, budget $budget"
[ "$size" -le "$budget" ] || expect size "$size" "at most $budget"
# The resources as windres writes them back, the icon's pixels left out,
# against resources.txt.
expect resources "$("$windres" -i "$exe" -O rc | grep -vE '^\s*(BEGIN|END|/\*.*|.*Name: .*)?$' |
  sed -E 's, */\*.*\*/,,; s/^\s+//; s/\s+/ /g; s/ $//' | awk '!/^0x/ || !n++')" "$(cat "$(dirname "$0")/resources.txt")"
exit $failed
