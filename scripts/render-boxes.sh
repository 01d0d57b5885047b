#!/usr/bin/env bash
# Takes pictures of the program's two message boxes as a Japanese Windows
# user sees them (the shipped program under Wine on a virtual display, code
# page 932, a Japanese font) and saves them as docs/usage-note.png and
# docs/error-box.png. Installs what is missing (Debian packages), builds the
# windows-x86 preset.
# As root, from anywhere:
#
#   bash scripts/render-boxes.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

# On a virtual display of its own, in a prefix of its own made under the
# Japanese locale, so that Wine maps the Japanese fonts.
if [ -z "${TOLVIK_PICTURES:-}" ]; then
  bash scripts/install-deps.sh imagemagick fonts-ipafont-gothic fonts-wine
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 --target tolvik >/dev/null
  exec env TOLVIK_PICTURES=1 xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' bash "$0"
fi
export TOLVIK_WINEPREFIX=$root/build/pictures-wineprefix LANG=ja_JP.UTF-8 LC_ALL=
export WINEPREFIX=$TOLVIK_WINEPREFIX
wineserver=/usr/lib/wine/wineserver
trap '$wineserver -k 2>/dev/null' EXIT
# Unmanaged windows draw their own frame, as on Windows, and go at once.
cmake/wine-run.sh reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
# The frame's close button is a glyph of Marlett, Wine's own copy of which
# Debian ships in fonts-wine; Wine looks for it only in the prefix's Fonts
# folder, and without it draws the glyph's letter, an "r".
cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"

# picture <png> [arguments]: the box the program shows for them, cut out of
# the otherwise empty screen.
picture() {
  local png=$1
  shift
  cmake/wine-run.sh build/windows-x86/tolvik.exe "$@" &
  local running=$!
  sleep 4
  import -display "$DISPLAY" -window root -trim +repage -define png:exclude-chunks=date,time \
    -strip "$png"
  $wineserver -k 2>/dev/null || true
  wait "$running" || true
  echo "$png: $(identify -format '%wx%h' "$png")"
}

mkdir -p docs
picture docs/usage-note.png
picture docs/error-box.png 'C:\data' 'D:\link'
