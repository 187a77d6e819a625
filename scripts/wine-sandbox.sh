#!/usr/bin/env bash
# Runs a command against Wine in a sandbox of its own: a private network
# namespace (only loopback: no name lookup or packet leaves the machine), a
# private process namespace, a fresh prefix (the template seen through an
# overlay), an Xvfb display, a warm wineserver and a virtual desktop that
# stays up. Everything started inside ends with it.
#
# usage: wine-sandbox.sh [--keep] [--bare] [--prefix DIR] -- COMMAND [ARGS...]
#   The command sees WINEPREFIX, DISPLAY, LANG=ja_JP.UTF-8, VARO_ROOT and
#   VARO_TEMPLATE, and TMPDIR: a folder removed at the end (--keep keeps it).
#   --prefix uses DIR as the prefix (copied from the template if missing);
#   otherwise a temporary prefix is made in TMPDIR. --bare gives only the
#   namespaces and the display: the command makes its own prefixes (the
#   end-to-end scenarios do, one per scenario).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
template=${VARO_TEMPLATE:-$root/build/wine-template}

if [ "${VARO_IN_SANDBOX:-}" != 1 ]; then
  "$root/scripts/make-wine-template.sh" "$template"
  export VARO_IN_SANDBOX=1 VARO_TEMPLATE="$template" VARO_ROOT="$root"
  VARO_HOST_NETNS=$(readlink /proc/self/ns/net)
  export VARO_HOST_NETNS
  # A process namespace as well: when the sandbox ends, or is killed on a
  # time-out, the kernel ends everything that was started in it, Wine's
  # services and servers included. Its mounts (the prefixes) are its own.
  exec "$root/scripts/private-namespaces.sh" "$0" "$@"
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
# X sockets of the sandbox's own: the displays of other sandboxes (and their
# coming and going) stay out of sight, and every sandbox may use :0.
# Made as X makes it where it is missing: a user's X server on the host needs
# to create its socket in it too.
mkdir -p -m 1777 /tmp/.X11-unix
mount -t tmpfs -o mode=1777 tmpfs /tmp/.X11-unix 2>/dev/null || echo "wine-sandbox: no private X socket folder" >&2
# The X server compiles its keymap into /var/lib/xkb/server-<display>.xkm:
# with every sandbox on display :0, two servers starting at once would read
# and delete each other's file, and one of them exits ("Failed to compile
# keymap"). A folder of the sandbox's own.
if [ -d /var/lib/xkb ]; then
  mount -t tmpfs tmpfs /var/lib/xkb 2>/dev/null || echo "wine-sandbox: no private keymap folder" >&2
fi
# VARO_SANDBOX_TRACE=1: each step on stderr, so that a test killed on its
# time-out shows where it stood.
trace() {
  if [ "${VARO_SANDBOX_TRACE:-}" = 1 ]; then echo "wine-sandbox: ${SECONDS} s $*" >&2; fi
}
# Temporary files, the scenarios' prefixes among them, go to a folder of the
# sandbox's own, removed at the end (the test runner removes its parent,
# VARO_SANDBOX_PARENT, even when a test was killed mid-way).
TMPDIR=$(mktemp -d "${VARO_SANDBOX_PARENT:-/tmp}/varo-sandbox.XXXXXX")
export TMPDIR
own_prefix=0
if [ "$bare" = 1 ]; then
  prefix=/nonexistent
elif [ -z "$prefix" ]; then
  prefix=$TMPDIR/prefix
  own_prefix=1
fi
# A prefix is the template seen through an overlay: what Wine writes goes to
# a folder of the sandbox's, nothing is copied (a copy is 1.3 GB).
VARO_PREFIX_OVERLAY=1
export VARO_PREFIX_OVERLAY
if [ "$bare" = 0 ] && [ ! -d "$prefix" ]; then
  trace "making the prefix"
  if [ "$own_prefix" = 1 ]; then
    "$root/scripts/overlay-prefix.sh" "$template" "$prefix"
  else
    cp -a "$template" "$prefix"
    rm -f "$prefix/wineserver"
  fi
fi

export WINEPREFIX=$prefix WINEDEBUG=${WINEDEBUG:--all} LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml="

xvfb=""
cleanup() {
  trace "ending"
  if [ "$bare" = 0 ]; then
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  fi
  if [ -n "$xvfb" ]; then kill "$xvfb" 2>/dev/null || true; fi
  if [ "$own_prefix" = 1 ] && [ "$keep" = 0 ]; then umount "$prefix" 2>/dev/null || true; fi
  if [ "$keep" = 0 ]; then
    # Prefixes the command left mounted (a scenario that failed half-way):
    # the removal must not walk through them into the template's view.
    awk -v dir="$TMPDIR/" 'index($2, dir) == 1 { print $2 }' /proc/self/mounts | sort -r |
      while read -r mounted; do umount "$mounted" 2>/dev/null || umount -l "$mounted" 2>/dev/null || true; done
    rm -rf "$TMPDIR"
  elif [ "$own_prefix" = 1 ]; then
    echo "wine-sandbox: kept $prefix" >&2
  fi
}
trap cleanup EXIT

displayfile=$TMPDIR/display
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -nolock 3>"$displayfile" >"$TMPDIR/xvfb.log" 2>&1 &
xvfb=$!
# Until it names its display or ends; a busy machine may take many seconds.
for _ in $(seq 1200); do
  [ -s "$displayfile" ] && break
  kill -0 "$xvfb" 2>/dev/null || break
  sleep 0.1
done
if [ ! -s "$displayfile" ]; then
  echo "wine-sandbox: Xvfb did not start:" >&2
  cat "$TMPDIR/xvfb.log" >&2
  exit 1
fi
export DISPLAY=":$(cat "$displayfile")"

# Start the server and Wine's services first, so that they do not inherit the
# command's output pipes. Wine's own programs are 64-bit in this prefix: the
# 64-bit loader runs them natively, where "wine" would first start the 32-bit
# loader, which runs emulated here and costs most of a second.
VARO_WINE64=${VARO_WINE64:-/usr/lib/wine/wine64}
[ -x "$VARO_WINE64" ] || VARO_WINE64=wine
export VARO_WINE64
if [ "$bare" = 0 ]; then
  # A program that stays on the virtual desktop for the whole run: Wine
  # closes the desktop a second after its last program has left it, and a
  # program that starts in that second cannot create a window. It starts the
  # desktop too, before anything else uses it.
  keeper=${VARO_DRIVER:-$root/build/win32/tests/e2e/driver.exe}
  # Now and then a fresh prefix's desktop never comes, however long its
  # first program waits; Wine started again in the prefix brings it. The
  # first try waits 75 s (a desktop on a busy machine can take a minute),
  # the second the rest of 5 minutes.
  for polls in 300 900; do
    trace "starting the server and the services"
    wineserver -p
    "$VARO_WINE64" wineboot </dev/null >/dev/null 2>&1 || true
    [ -f "$keeper" ] || break
    trace "starting the desktop"
    wine "$keeper" keep-desktop </dev/null >"$TMPDIR/keeper.log" 2>&1 &
    keeper_pid=$!
    desktop_up=0
    for _ in $(seq "$polls"); do
      if timeout 10 xwininfo -root -children 2>/dev/null | grep -q 'Wine desktop'; then desktop_up=1; break; fi
      kill -0 "$keeper_pid" 2>/dev/null || break
      sleep 0.25
    done
    [ "$desktop_up" = 1 ] && break
    echo "wine-sandbox: the virtual desktop did not come up" >&2
    cat "$TMPDIR/keeper.log" >&2
    # Every Wine process of this prefix ends with its server (ours only).
    wineserver -k 2>/dev/null || true
    wineserver -w 2>/dev/null || true
  done
else
  unset WINEPREFIX
fi

set +e
trace "running $*"
"$@"
status=$?
trace "done: $status"
exit $status
