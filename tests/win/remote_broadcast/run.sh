#!/usr/bin/env bash
# Runs the wake broadcast test program, but only inside the Wine sandbox's
# private network namespace with nothing but loopback in it: the limited
# broadcast must never leave this machine. There it routes 255.255.255.255 to
# loopback, so the datagram comes back to the test's own capture socket.
# usage: run.sh TEST_PROGRAM.exe
set -eu
skip=77
if [ "${VARO_IN_SANDBOX:-}" != 1 ]; then
  echo "not inside scripts/wine-sandbox.sh: skipped"; exit $skip
fi
# The sandbox names the namespace it was started from (its own process
# namespace hides the machine's first process).
init_net=${VARO_HOST_NETNS:-$(readlink /proc/1/ns/net 2>/dev/null || true)}
if [ -n "$init_net" ] && [ "$(readlink /proc/self/ns/net)" = "$init_net" ]; then
  echo "in the machine's own network namespace: skipped"; exit $skip
fi
if awk -F: 'NR > 2 { gsub(/ /, "", $1); if ($1 != "lo") found = 1 } END { exit !found }' /proc/net/dev; then
  echo "the namespace has interfaces besides loopback: skipped"; exit $skip
fi
ip link set lo up
ip route replace 255.255.255.255/32 dev lo
VARO_PRIVATE_NET=1 exec wine "$1"
