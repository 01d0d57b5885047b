#!/usr/bin/env bash
# Takes pictures of the program's two message boxes as a Japanese Windows
# user sees them (wine64 on a virtual display, code page 932, a Japanese
# font) and saves them as docs/usage-note.png and docs/error-box.png.
# Installs what is missing (Debian packages), builds the windows-x64 preset.
# As root, from anywhere:
#
#   bash scripts/render-boxes.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

bash scripts/install-deps.sh imagemagick fonts-ipafont-gothic

cmake --preset windows-x64 >/dev/null
cmake --build --preset windows-x64 --target tolvik tolvik_probe >/dev/null
tolvik=$root/build/windows-x64/tolvik.exe
probe=$root/build/windows-x64/tests/tolvik_probe.exe

export LC_ALL=C
# shellcheck source=tests/e2e/harness.sh
source "$root/tests/e2e/harness.sh"
trap 'harness_stop || true' EXIT
harness_start "$(mktemp -d /tmp/tolvik-pictures.XXXXXX)" cp932-ja
cp "$tolvik" "$scratch/tolvik.exe"
mkdir -p docs

# picture <png> <command line>: the box the program shows for it.
picture() {
  local report=$harness_work/report.txt
  : >"$report"
  (cd "$harness_work" && in_wine_within 60 "$probe" --show 4000 'S:\tolvik.exe' "$(hex "$2")") \
    >"$report" &
  local running=$!
  local rect=""
  for _ in $(seq 200); do
    rect=$(grep -m1 '^rect ' "$report" | tr -d '\r' || true)
    [ -n "$rect" ] && break
    sleep 0.1
  done
  if [ -z "$rect" ]; then
    wait "$running" || true
    echo "no box for: $2" >&2
    return 1
  fi
  sleep 0.5  # painted
  read -r _ left top width height <<<"$rect"
  import -display "$DISPLAY" -window root -crop "${width}x${height}+${left}+${top}" +repage \
    -define png:exclude-chunks=date,time -strip "$1"
  wait "$running"
  echo "$1: ${width}x${height}"
}

picture docs/usage-note.png 'tolvik.exe'
picture docs/error-box.png 'tolvik.exe C:\data D:\link'
