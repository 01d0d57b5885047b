#!/usr/bin/env bash
# Installs what is missing, builds tolvik, and shows it at work: the shipped
# 32-bit program, under Wine, makes a hard link in a scratch folder, and both
# names turn out to be one file.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

bash scripts/install-deps.sh
cmake --preset windows-x86 >/dev/null
cmake --build --preset windows-x86 --target tolvik >/dev/null
echo "Built: $(stat -c '%s bytes' build/windows-x86/tolvik.exe) build/windows-x86/tolvik.exe"

scratch=$(mktemp -d /tmp/tolvik-demo.XXXXXX)
trap 'rm -rf "$scratch"' EXIT
echo "hello from tolvik" >"$scratch/report.txt"
winpath() { printf 'Z:%s' "${1//\//\\}"; }

echo
echo "> tolvik $(winpath "$scratch/report.txt") $(winpath "$scratch/report-link.txt")"
status=0
timeout 120 cmake/wine-run.sh build/windows-x86/tolvik.exe \
  "$(winpath "$scratch/report.txt")" "$(winpath "$scratch/report-link.txt")" || status=$?
echo "exit status $status"
echo
ls -li "$scratch"
echo
if [ "$(stat -c %i "$scratch/report.txt")" = "$(stat -c %i "$scratch/report-link.txt" 2>/dev/null)" ]; then
  echo "report.txt and report-link.txt are one file (inode $(stat -c %i "$scratch/report.txt"), $(stat -c %h "$scratch/report.txt") links)."
else
  echo "No hard link was made." >&2
  exit 1
fi
