#!/usr/bin/env bash
# Takes pictures of the program's two message boxes as a Japanese Windows
# user sees them (the shipped program under Wine on a virtual display, code
# page 932, a Japanese font), docs/usage-note.png and docs/error-box.png, and
# as an English Windows user sees them (code page 1252), docs/usage-note-en.png
# and docs/error-box-en.png. Installs what is missing (Debian packages), builds the
# windows-x86 preset.
# As root, from anywhere:
#
#   bash scripts/render-boxes.sh
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
root=$(pwd)

# On a virtual display of its own, one prefix for each system, made under its
# own locale so that Wine maps its fonts.
if [ -z "${TOLVIK_PICTURES:-}" ]; then
  bash scripts/install-deps.sh imagemagick fonts-ipafont-gothic fonts-wine
  cmake --preset windows-x86 >/dev/null
  cmake --build --preset windows-x86 --target tolvik >/dev/null
  exec env TOLVIK_PICTURES=1 xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' bash "$0"
fi
wineserver=/usr/lib/wine/wineserver
trap '$wineserver -k 2>/dev/null' EXIT

# system <name> <LANG>: the prefix build/pictures-<name>-wineprefix, under that locale.
system() {
  $wineserver -k 2>/dev/null || true
  export TOLVIK_WINEPREFIX=$root/build/pictures-$1-wineprefix LANG=$2 LC_ALL=
  export WINEPREFIX=$TOLVIK_WINEPREFIX
  # Unmanaged windows draw their own frame, as on Windows, and go at once.
  cmake/wine-run.sh reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  # The frame's close button is a glyph of Marlett, Wine's own copy of which
  # Debian ships in fonts-wine; Wine looks for it only in the prefix's Fonts
  # folder, and without it draws the glyph's letter, an "r".
  cp /usr/share/wine/fonts/marlett.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
}

# picture <png> [arguments]: the box the program shows for them, cut out of
# the otherwise empty screen.
picture() {
  local png=$1
  shift
  cmake/wine-run.sh build/windows-x86/tolvik.exe "$@" &
  local running=$!
  # Until the box is there and drawn: a second look the same as the first.
  local seen=
  for _ in $(seq 60); do
    sleep 1
    import -display "$DISPLAY" -window root -trim +repage -define png:exclude-chunks=date,time \
      -strip "$png" 2>/dev/null || continue
    [ "$(identify -format '%wx%h' "$png")" != 1x1 ] || continue
    [ "$seen" = "$(md5sum <"$png")" ] && break
    seen=$(md5sum <"$png")
  done
  $wineserver -k 2>/dev/null || true
  wait "$running" || true
  echo "$png: $(identify -format '%wx%h' "$png")"
}

mkdir -p docs
# A Japanese system: code page 932, a Japanese thread locale.
system ja ja_JP.UTF-8
picture docs/usage-note.png
picture docs/error-box.png 'C:\data' 'D:\link'
# An English one: code page 1252, its dialog font Tahoma (Wine's own copy,
# from fonts-wine, which Wine looks for in the prefix's Fonts folder alone).
# Tahoma has no Japanese: those characters come from IPA Gothic through font
# linking, as Windows links its UI fonts to its Japanese ones.
system en en_US.UTF-8
cp /usr/share/wine/fonts/tahoma.ttf "$WINEPREFIX/drive_c/windows/Fonts/"
for font in Tahoma 'MS Shell Dlg' 'MS Shell Dlg 2'; do
  cmake/wine-run.sh reg add 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\FontLink\SystemLink' \
    /v "$font" /t REG_MULTI_SZ /d 'ipag.ttf,IPAGothic' /f >/dev/null 2>&1
done
picture docs/usage-note-en.png
picture docs/error-box-en.png 'C:\data' 'D:\link'
