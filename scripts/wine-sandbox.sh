#!/usr/bin/env bash
# Runs a command against Wine in a sandbox of its own: a private network
# namespace (only loopback: no name lookup or packet leaves the machine), a
# fresh copy of the template prefix, an Xvfb display and a warm wineserver.
# Everything started inside is ended afterwards.
#
# usage: wine-sandbox.sh [--keep] [--bare] [--prefix DIR] -- COMMAND [ARGS...]
#   The command sees WINEPREFIX, DISPLAY, LANG=ja_JP.UTF-8, VARO_ROOT and
#   VARO_TEMPLATE. --prefix uses DIR as the prefix (copied from the template
#   if missing); otherwise a temporary prefix is made and removed. --bare
#   gives only the namespace and the display: the command makes its own
#   prefixes (the end-to-end scenarios do, one per scenario).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
template=${VARO_TEMPLATE:-$root/build/wine-template}

if [ "${VARO_IN_SANDBOX:-}" != 1 ]; then
  "$root/scripts/make-wine-template.sh" "$template"
  export VARO_IN_SANDBOX=1 VARO_TEMPLATE="$template" VARO_ROOT="$root"
  exec unshare -n -- "$0" "$@"
fi

keep=0 bare=0 prefix=""
while [ $# -gt 0 ]; do
  case "$1" in
    --keep) keep=1; shift ;;
    --bare) bare=1; shift ;;
    --prefix) prefix=$2; shift 2 ;;
    --) shift; break ;;
    *) break ;;
  esac
done

ip link set lo up
own_prefix=0
if [ "$bare" = 1 ]; then
  prefix=/nonexistent
elif [ -z "$prefix" ]; then
  prefix=$(mktemp -d /tmp/varo-prefix.XXXXXX)
  rmdir "$prefix"
  own_prefix=1
fi
if [ "$bare" = 0 ] && [ ! -d "$prefix" ]; then
  cp -a "$template" "$prefix"
  rm -f "$prefix/wineserver"
fi

export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

displayfile=$(mktemp)
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [ -s "$displayfile" ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$displayfile")"
rm -f "$displayfile"

cleanup() {
  if [ "$bare" = 0 ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  kill "$xvfb" 2>/dev/null || true
  # Whatever else we started lives in this network namespace only.
  local me; me=$(readlink /proc/self/ns/net)
  for p in /proc/[0-9]*; do
    pid=${p#/proc/}
    [ "$pid" = $$ ] && continue
    [ "$(readlink "$p/ns/net" 2>/dev/null)" = "$me" ] || continue
    [ "$pid" = "$BASHPID" ] && continue
    kill -9 "$pid" 2>/dev/null || true
  done
  if [ "$own_prefix" = 1 ] && [ "$keep" = 0 ]; then rm -rf "$prefix"; fi
}
trap cleanup EXIT

# Start the server and Wine's services first, so that they do not inherit the
# command's output pipes.
if [ "$bare" = 0 ]; then
  wineserver -p
  # A program that stays on the virtual desktop for the whole run: Wine
  # closes the desktop a second after its last program has left it, and a
  # program that starts in that second cannot create a window. It starts the
  # desktop too, before anything else uses it.
  keeper=${VARO_DRIVER:-$root/build/win32/tests/e2e/driver.exe}
  if [ -f "$keeper" ]; then
    wine "$keeper" keep-desktop </dev/null >/dev/null 2>&1 &
    for _ in $(seq 240); do
      xwininfo -root -children 2>/dev/null | grep -q 'Wine desktop' && break
      sleep 0.25
    done
  fi
  wine wineboot </dev/null >/dev/null 2>&1 || true
else
  unset WINEPREFIX
fi

set +e
"$@"
status=$?
exit $status
