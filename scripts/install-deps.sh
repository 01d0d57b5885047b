#!/usr/bin/env bash
# Installs what building and testing tolvik needs on Debian 12 or 13, as
# root, and skips what is already there. Safe to run again. Further packages
# that one script needs (the pictures, the benchmark) are named as arguments.
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev clang-format
  g++-mingw-w64-i686 g++-mingw-w64-x86-64 binutils-mingw-w64-i686 binutils-mingw-w64-x86-64
  wine64 xvfb xauth locales
  # The asan and fuzz presets: clang with its sanitizer and libFuzzer runtimes,
  # both Debian's default version, so that they match on every release.
  clang libclang-rt-dev
  ntfs-3g attr              # the ntfs test: mkntfs, ntfs-3g, setfattr and getfattr
  zip                       # the release archive
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
