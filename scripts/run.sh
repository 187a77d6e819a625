#!/usr/bin/env bash
# Starts VaroTimer.exe under Wine with the Japanese locale, on the user's
# display, or on a fresh Xvfb with a Wine virtual desktop where there is none.
# The banner comes from a local stand-in for the maker's site: the prefix's
# proxy points at it, so no name is resolved and nothing leaves the machine.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
prefix=${VARO_RUN_PREFIX:-$root/build/run-prefix}
template=$root/build/wine-template

"$root/scripts/make-wine-template.sh" "$template"
if [ ! -d "$prefix" ]; then
  cp -a "$template" "$prefix"
  rm -f "$prefix/wineserver"
fi
export WINEPREFIX=$prefix WINEDEBUG=-all LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

pids=()
cleanup() { for p in "${pids[@]}"; do kill "$p" 2>/dev/null || true; done; }
trap cleanup EXIT

if [ -z "${DISPLAY:-}" ] || ! xdpyinfo >/dev/null 2>&1; then
  displayfile=$(mktemp)
  Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
  pids+=($!)
  # Until it names its display or ends; a busy machine may take many seconds.
  for _ in $(seq 1200); do
    [ -s "$displayfile" ] && break
    kill -0 "${pids[-1]}" 2>/dev/null || break
    sleep 0.1
  done
  if [ ! -s "$displayfile" ]; then
    echo "run: Xvfb did not start (is /tmp/.X11-unix writable for everyone? scripts/setup.sh makes it so)" >&2
    exit 1
  fi
  export DISPLAY=":$(cat "$displayfile")"
  rm -f "$displayfile"
  echo "No display found: started Xvfb on $DISPLAY with a Wine virtual desktop."
  echo "Take a screenshot with:  DISPLAY=$DISPLAY /usr/bin/import -window root shot.png"
fi

settings='HKCU\Software\Microsoft\Windows\CurrentVersion\Internet Settings'
if [ -f "$root/scripts/banner-site.py" ]; then
  port=${VARO_SITE_PORT:-18080}
  python3 "$root/scripts/banner-site.py" --port "$port" >/dev/null 2>&1 &
  pids+=($!)
  wine reg add "$settings" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null 2>&1
  wine reg add "$settings" /v ProxyServer /d "127.0.0.1:$port" /f >/dev/null 2>&1
else
  # No stand-in site: a proxy that refuses at once keeps the download local.
  wine reg add "$settings" /v ProxyEnable /t REG_DWORD /d 1 /f >/dev/null 2>&1
  wine reg add "$settings" /v ProxyServer /d "127.0.0.1:9" /f >/dev/null 2>&1
fi

echo "Starting VaroTimer (end it from its tray menu, or with Ctrl-C here)."
cd "$root/out/VaroTimer"
wine VaroTimer.exe || true
