#!/usr/bin/env bash
# Runs the wine check in one locale group, on a virtual display of its own, in
# a scratch folder that goes afterwards together with Wine's processes.
#   run.sh <1252 | 932> <en | ja> <tolvik_wine_check.exe> <tolvik.exe> <planted.dll>
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Wine takes the ANSI code page from LC_CTYPE and the thread locale from LANG.
locale=(LANG=$([ "$2" = ja ] && echo ja_JP || echo en_US).UTF-8
  LC_CTYPE=$([ "$1" = 932 ] && echo ja_JP || echo en_US).UTF-8)
export WINEPREFIX=${TOLVIK_WINEPREFIX:-$root/build/wineprefix}
scratch=$(mktemp -d /tmp/tolvik-wine.XXXXXX)
# A Wine server left from another display would show the boxes there.
stop() { /usr/lib/wine/wineserver -k 2>/dev/null || true; /usr/lib/wine/wineserver -w || true; }
trap 'stop; rm -rf "$scratch"' EXIT
stop
cd "$scratch"
# Wine then looks for these two beside the program first, as Windows does for
# every DLL that is not a known one.
export WINEDLLOVERRIDES="mscoree,mshtml=;imm32,version=n,b"
env -u LC_ALL "${locale[@]}" xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' \
  "$root/cmake/wine-run.sh" "$3" "Z:${4//\//\\}" "$1" "$2" "Z:${5//\//\\}"
