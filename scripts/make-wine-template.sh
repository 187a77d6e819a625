#!/usr/bin/env bash
# Creates the Wine prefix that every Wine-based test copies: booted once,
# inside a private network namespace, with a virtual desktop that has a
# taskbar and notification area, and without the crash dialog.
# usage: make-wine-template.sh DIR
set -euo pipefail
dir=$(realpath -m "$1")
[ -f "$dir/.complete" ] && exit 0
mkdir -p "$(dirname "$dir")"
exec 9>"$dir.lock"
flock 9
[ -f "$dir/.complete" ] && exit 0
rm -rf "$dir.tmp"
echo "Creating the Wine prefix template in $dir (about half a minute)..."
unshare -n -- bash -c '
  set -e
  ip link set lo up
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" LANG=ja_JP.UTF-8
  unset DISPLAY
  wineboot -i </dev/null >/dev/null 2>&1
  reg() { wine reg add "$@" /f </dev/null >/dev/null 2>&1; }
  reg "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0
  reg "HKCU\\Software\\Wine\\Explorer" /v Desktop /d Default
  reg "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Default /d 1024x768
  # Explorer looks for EnableShell in a key named after the desktop.
  reg "HKCU\\Software\\Wine\\Explorer\\Desktops\\Default" /v EnableShell /t REG_DWORD /d 1
  wineserver -w
' _ "$dir.tmp"
# The prefix remembers its server folder; copies must get their own.
rm -f "$dir.tmp/wineserver"
mv "$dir.tmp" "$dir"
touch "$dir/.complete"
