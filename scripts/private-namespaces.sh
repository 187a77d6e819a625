#!/usr/bin/env bash
# Runs a command in private network, process and mount namespaces: only
# loopback, nothing that outlives it, mounts of its own. Root makes them
# directly; anyone else (or root in a container that may not) first makes a
# user namespace in which they are root, which needs a kernel that lets
# users make one (Debian's default). Says what is missing where neither works.
# usage: private-namespaces.sh COMMAND [ARGS...]
set -euo pipefail
user=()
if ! unshare --net true 2>/dev/null; then
  user=(--user --map-root-user)
  if ! error=$(unshare "${user[@]}" --net true 2>&1); then
    cat >&2 <<MESSAGE
The Wine sandbox needs a private network namespace, and this system refused one
(${error}).
It works as root, or as any user where the kernel allows user namespaces
(sysctl user.max_user_namespaces above 0, and on older kernels
kernel.unprivileged_userns_clone=1). A container must be allowed to make
namespaces (for example docker run --privileged).
MESSAGE
    exit 1
  fi
fi
exec unshare "${user[@]}" --net --pid --fork --kill-child --mount-proc -- "$@"
