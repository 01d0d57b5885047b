# shellcheck shell=bash
# Sourced, not run: a virtual display, a Wine prefix and two drive letters of
# their own for one locale group, and their removal.
#
#   harness_start <work folder> <locale group>   (cp1252 | cp932-ja | cp932-en)
#   in_wine <windows program> [arguments...]    (ended after ten minutes)
#   in_wine_within <seconds> <windows program> [arguments...]
#   harness_stop                                  (also from an EXIT trap)
#
# After harness_start: drive S: is "$scratch" (a folder under the work
# folder) and drive T: is "$other_volume", a folder on /dev/shm, which is a
# different Linux file system. Wine's windows are left unmanaged: without a
# window manager a managed window takes two seconds to go away.

wine_binary=${TOLVIK_WINE:-/usr/lib/wine/wine64}
wineserver_binary=${TOLVIK_WINESERVER:-/usr/lib/wine/wineserver}

harness_work=""
harness_prefix=""
harness_xvfb_pid=""
scratch=""
other_volume=""
wine_locale=()

# The locale Wine takes its ANSI code page and thread locale from.
harness_locale() {
  case $1 in
    cp1252) wine_locale=(LANG=en_US.UTF-8) ;;                         # 1252, English
    cp932-ja) wine_locale=(LANG=ja_JP.UTF-8) ;;                       # 932, Japanese
    cp932-en) wine_locale=(LANG=en_US.UTF-8 LC_CTYPE=ja_JP.UTF-8) ;;  # 932, English
    *) echo "unknown locale group: $1" >&2; return 1 ;;
  esac
  local wanted
  for wanted in en_US ja_JP; do
    if ! locale -a 2>/dev/null | grep -qix "$wanted.utf8"; then
      echo "locale $wanted.UTF-8 is not generated (scripts/install-deps.sh does that)" >&2
      return 1
    fi
  done
}

in_wine() { in_wine_within 600 "$@"; }

in_wine_within() {
  local seconds=$1
  shift
  timeout "$seconds" env -u LC_ALL -u LC_CTYPE -u LC_MESSAGES -u LC_COLLATE -u LANGUAGE "${wine_locale[@]}" \
    WINEPREFIX="$harness_prefix" WINEDEBUG=-all WINEDLLOVERRIDES='mscoree,mshtml=' \
    DISPLAY="$DISPLAY" "$wine_binary" "$@"
}

harness_start() {
  harness_work=$1
  harness_locale "$2"
  harness_prefix=$harness_work/prefix
  scratch=$harness_work/scratch
  other_volume=$(mktemp -d /dev/shm/tolvik-e2e.XXXXXX)
  mkdir -p "$harness_prefix" "$scratch"
  if [ "$(stat -c %d "$scratch")" = "$(stat -c %d "$other_volume")" ]; then
    echo "the scratch folder and /dev/shm are on one file system" >&2
    return 1
  fi

  # Xvfb picks a free display itself and says which once it takes clients.
  local fifo=$harness_work/display
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  harness_xvfb_pid=$!
  local number=""
  read -r -t 30 number <"$fifo" || true
  rm -f "$fifo"
  if [ -z "$number" ]; then
    echo "Xvfb did not start" >&2
    return 1
  fi
  export DISPLAY=:$number

  in_wine wineboot --init >/dev/null 2>&1 || true
  in_wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
  ln -s "$scratch" "$harness_prefix/dosdevices/s:"
  ln -s "$other_volume" "$harness_prefix/dosdevices/t:"
}

# Wine's processes go before their display does; the folders go last. Fails
# when a process of this prefix is still running afterwards.
harness_stop() {
  local left=""
  if [ -n "$harness_prefix" ] && [ -d "$harness_prefix" ]; then
    WINEPREFIX=$harness_prefix "$wineserver_binary" -k 2>/dev/null || true
    WINEPREFIX=$harness_prefix timeout 30 "$wineserver_binary" -w 2>/dev/null || true
    left=$(harness_leftovers)
  fi
  if [ -n "$harness_xvfb_pid" ]; then
    kill "$harness_xvfb_pid" 2>/dev/null || true
    wait "$harness_xvfb_pid" 2>/dev/null || true
    harness_xvfb_pid=""
  fi
  [ -n "$other_volume" ] && rm -rf "$other_volume"
  [ -n "$harness_work" ] && rm -rf "$harness_work"
  other_volume=""
  harness_work=""
  harness_prefix=""
  if [ -n "$left" ]; then
    echo "still running after the end: ${left//$'\n'/ }" >&2
    return 1
  fi
}

# Processes that still carry this prefix in their environment.
harness_leftovers() {
  local environ
  for environ in /proc/[0-9]*/environ; do
    if { tr '\0' '\n' <"$environ"; } 2>/dev/null | grep -qxF "WINEPREFIX=$harness_prefix"; then
      basename "$(dirname "$environ")"
    fi
  done
}

hex() { printf '%s' "$1" | od -An -v -tx1 | tr -d ' \n' | tr 'a-f' 'A-F'; }
