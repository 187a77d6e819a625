#!/usr/bin/env bash
# Makes what a Windows user downloads, from the built program in out/VaroTimer/:
#   out/dist/VaroTimer-<version>-setup.exe   the installer (NSIS, installer/VaroTimer.nsi)
#   out/dist/VaroTimer-<version>.zip         the portable folder
# Both carry the sample banner as sorel-ads.gif beside the exe, shown when the
# maker's site cannot be reached. The version is the version resource's.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"

version=$(sed -nE 's/^[[:space:]]*PRODUCTVERSION[[:space:]]+([0-9]+),[[:space:]]*([0-9]+),[[:space:]]*([0-9]+),[[:space:]]*([0-9]+).*/\1.\2.\3.\4/p' res/version.rc)
if [ -z "$version" ]; then
  echo "make-dist: no PRODUCTVERSION in res/version.rc" >&2
  exit 1
fi
for f in out/VaroTimer/VaroTimer.exe out/VaroTimer/VaroTimer.chm res/images/sorel-ads.gif; do
  [ -f "$f" ] || { echo "make-dist: $f is missing (run make build)" >&2; exit 1; }
done

dist=out/dist
stage=$dist/VaroTimer
rm -rf "$stage"
mkdir -p "$stage"
cp out/VaroTimer/VaroTimer.exe out/VaroTimer/VaroTimer.chm "$stage/"
cp res/images/sorel-ads.gif "$stage/"

setup=$dist/VaroTimer-$version-setup.exe
makensis -V2 -WX -INPUTCHARSET UTF8 -DVERSION="$version" -DSTAGE="$root/$stage" \
  -DICON="$root/res/images/app.ico" -DOUTFILE="$root/$setup" installer/VaroTimer.nsi

zip=$dist/VaroTimer-$version.zip
python3 - "$stage" "$zip" <<'EOF'
import os, sys, zipfile
stage, target = sys.argv[1:]
tmp = target + ".tmp"
with zipfile.ZipFile(tmp, "w", zipfile.ZIP_DEFLATED) as z:
    for name in sorted(os.listdir(stage)):
        z.write(os.path.join(stage, name), "VaroTimer/" + name)
os.replace(tmp, target)
EOF
rm -rf "$stage"
ls -l "$setup" "$zip" | awk '{print $5, $NF}'
