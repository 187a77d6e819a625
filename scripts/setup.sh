#!/usr/bin/env bash
# Installs what building, running and testing need on Debian 12: the i386
# architecture, the cross compiler, Wine, Xvfb and the test tools, and the
# ja_JP.UTF-8 locale. Safe to run again; it only adds what is missing.
set -euo pipefail
sudo=""
[ "$(id -u)" = 0 ] || sudo=sudo
export DEBIAN_FRONTEND=noninteractive

packages=(
  g++-mingw-w64-i686-posix g++-mingw-w64-i686-win32 mingw-w64-i686-dev binutils-mingw-w64-i686
  wine wine32:i386 wine64 fonts-wine fonts-ipafont fonts-ipafont-gothic
  xvfb xdotool x11-utils imagemagick locales iproute2 util-linux
  cmake ninja-build clang libclang-rt-14-dev googletest libgtest-dev
  fp-utils-3.2.2 python3 file nsis
  libgif-dev libjpeg-dev
)

installed() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }

updated=0
apt_update() { [ "$updated" = 1 ] || { $sudo apt-get update -qq; updated=1; }; }

if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $sudo dpkg --add-architecture i386
  updated=0
  apt_update
fi

missing=()
for p in "${packages[@]}"; do installed "$p" || missing+=("$p"); done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  apt_update
  $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

if ! locale -a 2>/dev/null | grep -qix 'ja_JP.utf8'; then
  $sudo sed -i 's/^# *ja_JP.UTF-8/ja_JP.UTF-8/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  $sudo locale-gen >/dev/null
fi

# Wine's 32-bit loader. Some kernels are built or booted without 32-bit
# execution; there the loader runs under qemu's user-mode emulation through
# binfmt_misc. It needs qemu 8 or later (older ones ignore MAP_FIXED_NOREPLACE,
# which makes every Wine process start take about a minute), so it comes from
# bookworm-backports.
if ! /usr/lib/wine/wine --version >/dev/null 2>&1; then
  echo "This kernel does not run 32-bit programs; setting up qemu user-mode emulation."
  if ! qemu-i386-static --version 2>/dev/null | grep -qE 'version ([89]|[1-9][0-9])\.'; then
    if ! grep -rqs 'bookworm-backports' /etc/apt/sources.list /etc/apt/sources.list.d/; then
      # Backports from the mirror the machine already uses for bookworm.
      if ! mirror=$("$(dirname "$0")/apt-mirror.sh" bookworm); then
        echo "No apt source for bookworm found; add one for bookworm-backports, then run this again." >&2
        exit 1
      fi
      printf 'Types: deb\nURIs: %s\nSuites: bookworm-backports\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
        "$mirror" | $sudo tee /etc/apt/sources.list.d/backports.sources >/dev/null
    fi
    updated=0
    apt_update
    $sudo apt-get install -y -qq --no-install-recommends -t bookworm-backports qemu-user-static >/dev/null
  fi
  binfmt=/proc/sys/fs/binfmt_misc
  [ -e "$binfmt/register" ] || $sudo mount -t binfmt_misc binfmt_misc "$binfmt"
  [ -e "$binfmt/qemu-i386" ] && echo -1 | $sudo tee "$binfmt/qemu-i386" >/dev/null
  printf '%s' ':qemu-i386:M::\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00:\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff:/usr/bin/qemu-i386-static:F' \
    | $sudo tee "$binfmt/register" >/dev/null
  /usr/lib/wine/wine --version >/dev/null
fi
