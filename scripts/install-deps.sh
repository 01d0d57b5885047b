#!/usr/bin/env bash
# Installs what building and testing tolvik needs on Debian 12 or 13, as
# root, and skips what is already there. Safe to run again. Further packages
# that one script needs (the pictures, the benchmark) are named as arguments.
# The shipped program is 32-bit: Wine's 32-bit half runs it, natively where
# the kernel runs 32-bit code and under qemu-i386 where it does not
# (TOLVIK_I386=qemu asks for the emulator even where it does).
set -euo pipefail

packages=(
  cmake ninja-build g++ googletest libgtest-dev clang-format
  g++-mingw-w64-i686 binutils-mingw-w64-i686
  wine64 xvfb xauth locales
  # The asan and fuzz presets: clang with its sanitizer and libFuzzer runtimes,
  # both Debian's default version, so that they match on every release.
  clang libclang-rt-dev
  ntfs-3g attr              # the ntfs test: mkntfs, ntfs-3g, setfattr and getfattr
  zip                       # the release archive
  "$@"
)

installed() { dpkg-query -W -f='${Status} ${Version}' "$1" 2>/dev/null | grep -q "install ok installed${2:+ $2}"; }
apt_install() {
  echo "Installing: $*"
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@" >/dev/null
}

missing=()
for package in "${packages[@]}"; do
  installed "$package" || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt-get update -qq
  DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

# Wine's 32-bit half, at wine64's own version: the two are one Wine.
wine=$(dpkg-query -W -f='${Version}' wine64)
if ! installed wine32:i386 "$wine" || ! installed libwine:i386 "$wine"; then
  dpkg --print-foreign-architectures | grep -qx i386 || dpkg --add-architecture i386
  apt-get update -qq
  apt_install "wine32:i386=$wine" "libwine:i386=$wine"
fi

# Where the kernel runs no 32-bit code, binfmt_misc hands every 32-bit ELF
# to qemu-i386. Version 10 or later: 7.2 takes a minute for each start of
# Wine (its address-space reservation is some 131,000 mmap calls). Debian 13
# has it; Debian 12 has it in bookworm-backports, which apt takes nothing
# else from unless asked.
runs_i386() { /lib/ld-linux.so.2 --version >/dev/null 2>&1; }
if [ "${TOLVIK_I386:-}" = qemu ] || ! runs_i386; then
  qemu=$(dpkg-query -W -f='${Version}' qemu-user 2>/dev/null || true)
  if [ -z "$qemu" ] || dpkg --compare-versions "$qemu" lt 1:10; then
    . /etc/os-release
    from=qemu-user
    if [ "$VERSION_CODENAME" = bookworm ]; then
      mirror=$(awk '/^URIs:/ {print $2; exit}' /etc/apt/sources.list.d/debian.sources 2>/dev/null || true)
      [ -n "$mirror" ] || mirror=$(awk '/^deb / && /debian/ {print $2; exit}' /etc/apt/sources.list 2>/dev/null || true)
      echo "deb ${mirror:-http://deb.debian.org/debian} bookworm-backports main" \
        >/etc/apt/sources.list.d/bookworm-backports.list
      from=qemu-user/bookworm-backports
    fi
    apt-get update -qq
    apt_install "$from"
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  mountpoint -q "$binfmt" || mount -t binfmt_misc binfmt_misc "$binfmt" 2>/dev/null || true
  # F: the kernel opens the emulator now, so it runs in every root and namespace.
  if [ -e "$binfmt/qemu-i386" ]; then
    echo 1 >"$binfmt/qemu-i386" 2>/dev/null || true
  else
    printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386:F' \
      >"$binfmt/register" 2>/dev/null || true
  fi
fi
if ! runs_i386; then
  echo "The 32-bit tolvik.exe cannot run here: this kernel runs no 32-bit code, and binfmt_misc (${binfmt:-}) took no qemu-i386 for it." >&2
  exit 1
fi

# Wine takes its ANSI code page and thread locale from these: 1252 and
# English, 932 and Japanese, and UTF-8 for Georgian, which has no ANSI code
# page of its own.
for wanted in en_US.UTF-8 ja_JP.UTF-8 ka_GE.UTF-8; do
  if ! locale -a 2>/dev/null | grep -qix "${wanted/UTF-8/utf8}"; then
    sed -i "s/^# *\(${wanted} UTF-8\)/\1/" /etc/locale.gen
    grep -q "^${wanted} UTF-8" /etc/locale.gen || echo "${wanted} UTF-8" >>/etc/locale.gen
    need_locale_gen=1
  fi
done
if [ "${need_locale_gen:-0}" = 1 ]; then
  locale-gen >/dev/null
fi
if grep -qs '^enabled' /proc/sys/fs/binfmt_misc/qemu-i386; then
  echo "Dependencies are in place; 32-bit code runs under $(qemu-i386 --version | head -n 1)."
else
  echo "Dependencies are in place; 32-bit code runs natively."
fi
