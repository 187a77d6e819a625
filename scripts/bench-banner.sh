#!/usr/bin/env bash
# Prints the banner control's figures under Wine: the load time of a
# 100-frame banner (every frame decoded), and the processor time of a
# 237x31 banner of 20 frames at 100 ms over 20 s, beside the same program
# showing no animation; then the hostile banners of the stand-in site in
# both windows: time to a visible window, peak working set, and whether the
# good banner was kept; last, the start to a visible window beside a bare
# dialog. Figures under emulation are far above a real machine.
# usage: bench-banner.sh [BUILD_DIR]   (a Windows build; default build/win32)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build/win32}")
bench=$build/tests/win/banner_bench.exe
[ -x "$bench" ] || cmake --build "$build" --target banner_bench >/dev/null
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 "$root/res/images/make_banner.py" "$work/banner-100.gif" --frames 100 --delay 10
python3 "$root/res/images/make_banner.py" "$work/banner-20.gif" --frames 20 --delay 10
"$root/scripts/wine-sandbox.sh" -- bash -c '
  wine "$1" load "$2/banner-100.gif" 5
  wine "$1" cpu "$2/banner-20.gif" 20
' _ "$bench" "$work" 2>/dev/null | tr -d "\r"
# One program per case, each in a prefix of its own (the scenario harness);
# then the start to a visible window beside a bare dialog.
driver=$build/tests/e2e/driver.exe
[ -x "$driver" ] && [ -f "$build/tests/e2e/bare_dialog.exe" ] || cmake --build "$build" --target driver >/dev/null
"$root/scripts/wine-sandbox.sh" --bare -- env VARO_DRIVER="$driver" VARO_EXE="$root/out/VaroTimer/VaroTimer.exe" \
  PYTHONDONTWRITEBYTECODE=1 bash -c 'cd "$1/tests/e2e" && python3 -m unittest -q test_banner_hostile.HostileFigures.bench_table startup_figures.StartupFigures.bench_startup 2>/dev/null' _ "$root"
