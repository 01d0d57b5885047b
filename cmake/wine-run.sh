#!/usr/bin/env bash
# Runs a Windows test program under Wine, in a 64-bit Wine prefix of its own
# that is made on first use: wine64 hands a 32-bit program to Wine's 32-bit
# loader, and the prefix's syswow64 folder holds the 32-bit system DLLs.
# Quiet: Wine's own chatter would bury the test output.
set -euo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export WINEPREFIX=${TOLVIK_WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
wine=${TOLVIK_WINE:-/usr/lib/wine/wine64}
# A program that crashes ends at once, its exit status the exception's code,
# and Wine names the fault on stderr: its debugger is kept from showing a crash
# dialog that nobody here would close. Only X11 is asked for a display: Wine 10
# would try Wayland too where there is none, and say so on stderr.
if ! grep -qs '"ShowCrashDialog"=dword:00000000' "$WINEPREFIX/user.reg"; then
  mkdir -p "$WINEPREFIX"
  [ -f "$WINEPREFIX/system.reg" ] || "$wine" wineboot --init >/dev/null 2>&1 || true
  "$wine" reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d x11 /f >/dev/null 2>&1 || true
  "$wine" reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1 || true
  /usr/lib/wine/wineserver -w || true
fi
exec "$wine" "$@"
