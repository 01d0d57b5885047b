#!/usr/bin/env bash
# Runs the wine check in one locale group, on a virtual display of its own, in
# a scratch folder that goes afterwards together with Wine's processes.
#   run.sh <1252 | 932 | 65001> <en | ja> <tolvik_wine_check.exe> <tolvik.exe> <planted.dll>
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
# Wine takes the ANSI code page from LC_CTYPE and the thread locale from LANG.
# Georgian has no ANSI code page of its own, so Wine takes UTF-8 for it, as
# Windows does with its "Use Unicode UTF-8" option on.
ctype=([1252]=en_US [932]=ja_JP [65001]=ka_GE)
locale=(LANG=$([ "$2" = ja ] && echo ja_JP || echo en_US).UTF-8 LC_CTYPE=${ctype[$1]}.UTF-8)
export WINEPREFIX=${TOLVIK_WINEPREFIX:-$root/build/wineprefix}
scratch=$(mktemp -d /tmp/tolvik-wine.XXXXXX)
# A Wine server left from another display would show the boxes there.
stop() { /usr/lib/wine/wineserver -k 2>/dev/null || true; timeout 30 /usr/lib/wine/wineserver -w || true; }
trap 'stop; rm -rf "$scratch"' EXIT
stop
cd "$scratch"
# Wine then looks for these two beside the program first, as Windows does for
# every DLL that is not a known one.
export WINEDLLOVERRIDES="mscoree,mshtml=;imm32,version=n,b"
# Each run of the check has a bound of its own; this one, well within ctest's,
# is for what lies around them: Xvfb, Wine's start, the check's own set-up.
env -u LC_ALL "${locale[@]}" timeout -k 10 250 xvfb-run -a -s '-screen 0 1024x768x24 -nolisten tcp' \
  "$root/cmake/wine-run.sh" "$3" "Z:${4//\//\\}" "$1" "$2" "Z:${5//\//\\}" || status=$?
[ "${status:-0}" != 124 ] || echo "TIMEOUT: the group $1-$2 ran 250 s; the check's last line above says how far it got"
exit "${status:-0}"
