#!/usr/bin/env bash
# Makes DIR a Wine prefix that reads the template and writes beside it: an
# overlay mount, for use inside a mount namespace of the sandbox's own (the
# mount ends with the namespace). Falls back to a copy where overlays fail.
# usage: overlay-prefix.sh TEMPLATE DIR
set -euo pipefail
template=$1 dir=$2
layers="$dir.layers"
mkdir -p "$layers/upper" "$layers/work" "$dir"
if ! mount -t overlay overlay -o "lowerdir=$template,upperdir=$layers/upper,workdir=$layers/work" "$dir" 2>/dev/null; then
  rmdir "$dir"
  cp -a "$template" "$dir"
fi
# The template's pointer to its server folder: each prefix needs its own.
rm -f "$dir/wineserver"
