#!/usr/bin/env bash
# Fails unless the Windows program imports only DLLs that every Windows has.
#   check-imports.sh <program.exe> [objdump]
set -euo pipefail
program=$1
objdump=${2:-x86_64-w64-mingw32-objdump}
allowed='^(KERNEL32|USER32|msvcrt)\.dll$'
status=0
while read -r dll; do
  if [[ "$dll" =~ $allowed ]]; then
    echo "ok   imports $dll"
  else
    echo "FAIL imports $dll, which a clean Windows does not have"
    status=1
  fi
done < <("$objdump" -p "$program" | sed -n 's/^\s*DLL Name: //p')
exit $status
