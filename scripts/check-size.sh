#!/usr/bin/env bash
# Prints the program's size and fails when it is over its budget.
#   check-size.sh <program.exe> <budget in bytes>
set -euo pipefail
size=$(stat -c %s "$1")
echo "$1: $size bytes ($(( (size + 1023) / 1024 )) KiB), budget $2 bytes"
[ "$size" -le "$2" ] || { echo "FAIL over budget by $((size - $2)) bytes"; exit 1; }
