#!/usr/bin/env bash
# Creates the Wine prefix that every Wine-based test copies: booted once,
# inside a private network namespace, with a virtual desktop that has a
# taskbar and notification area, the Marlett font for the caption buttons,
# without the crash dialog and without desktop entries for shortcuts.
# usage: make-wine-template.sh DIR
set -euo pipefail
dir=$(realpath -m "$1")
# Wine's own fonts (package fonts-wine). This Wine does not look in their
# folder, so the caption buttons lack Marlett and draw as letters; the
# prefix gets a copy in its Fonts folder instead.
wine_fonts=${VARO_WINE_FONTS:-/usr/share/wine/fonts}
if [ ! -f "$wine_fonts/marlett.ttf" ]; then
  echo "make-wine-template: $wine_fonts/marlett.ttf is missing (install fonts-wine)" >&2
  exit 1
fi
# Raised whenever what goes into the prefix changes: an older one is made anew.
stamp=2
current() { [ "$(cat "$dir/.complete" 2>/dev/null)" = "$stamp" ]; }
current && exit 0
mkdir -p "$(dirname "$dir")"
exec 9>"$dir.lock"
flock 9
current && exit 0
rm -rf "$dir.tmp"
echo "Creating the Wine prefix template in $dir (about half a minute)..."
# A process namespace too: if this is killed, nothing of Wine's stays behind.
"$(dirname "$0")/private-namespaces.sh" bash -c '
  set -e
  ip link set lo up
  export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d" LANG=ja_JP.UTF-8
  unset DISPLAY
  # Wine'"'"'s own programs through the 64-bit loader: run natively, where
  # the 32-bit loader that "wine" starts first runs emulated here.
  wine64=${VARO_WINE64:-/usr/lib/wine/wine64}
  [ -x "$wine64" ] || wine64=wine
  "$wine64" wineboot -i </dev/null >/dev/null 2>&1
  reg() { "$wine64" reg add "$@" /f </dev/null >/dev/null 2>&1; }
  cp "$2/marlett.ttf" "$1/drive_c/windows/Fonts/"
  reg "HKLM\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts" /v "Marlett (TrueType)" /d marlett.ttf
  # Shortcuts made in a prefix (by the installer) stay in the prefix.
  reg "HKCU\\Software\\Wine\\DllOverrides" /v winemenubuilder.exe /d ""
  reg "HKCU\\Software\\Wine\\WineDbg" /v ShowCrashDialog /t REG_DWORD /d 0
  reg "HKCU\\Software\\Wine\\Explorer" /v Desktop /d Default
  reg "HKCU\\Software\\Wine\\Explorer\\Desktops" /v Default /d 1024x768
  # Explorer looks for EnableShell in a key named after the desktop.
  reg "HKCU\\Software\\Wine\\Explorer\\Desktops\\Default" /v EnableShell /t REG_DWORD /d 1
  wineserver -w
' _ "$dir.tmp" "$wine_fonts"
# The prefix remembers its server folder; copies must get their own.
rm -f "$dir.tmp/wineserver"
rm -rf "$dir"
mv "$dir.tmp" "$dir"
echo "$stamp" >"$dir/.complete"
