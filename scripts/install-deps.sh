#!/usr/bin/env bash
# Installs what building and testing tolvik needs on Debian 12 or Ubuntu, as
# root, and skips what is already there. Safe to run again. Further packages
# that one script needs (the pictures, the benchmark) are named as arguments.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev clang-format
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 xvfb xauth locales
  clang libclang-rt-14-dev  # the asan and fuzz presets: sanitizer and libFuzzer runtimes
  ntfs-3g attr              # the ntfs test: mkntfs, ntfs-3g, setfattr and getfattr
  "$@"
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine takes its ANSI code page and thread locale from these: 1252 and
# English, 932 and Japanese.
for wanted in en_US.UTF-8 ja_JP.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qix "${wanted/UTF-8/utf8}"; then
    sed -i "s/^# *\(${wanted} UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${wanted} UTF-8" /etc/locale.gen || echo "${wanted} UTF-8" >>/etc/locale.gen
    need_locale_gen=1
  fi
done
if [ "${need_locale_gen:-0}" = 1 ]; then
  locale-gen >/dev/null
fi
echo "Dependencies are in place."
