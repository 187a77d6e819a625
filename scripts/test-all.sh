#!/usr/bin/env bash
# Runs every test tier headless and ends with one line "N passed, N failed".
#   native: the platform-neutral core under ASan/UBSan, and short fuzz runs
#   win:    Windows test programs under Wine
#   e2e:    the real VaroTimer.exe driven on a virtual desktop
# Every Wine test makes its own sandbox (scripts/wine-sandbox.sh: a private
# network namespace, a display, its own prefixes), so the Wine tiers run side
# by side in one ctest run: VARO_TEST_JOBS at once (default: twice the
# processors, so that both stay busy while some scenarios wait on the program;
# on an emulated processor the Wine tiers are bound by processor time).
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
cd "$root"
logdir=build/test-logs
mkdir -p "$logdir"
jobs=${VARO_TEST_JOBS:-$(( $(nproc) * 2 ))}
template=${VARO_TEMPLATE:-$root/build/wine-template}
# Every sandbox's temporary folder (prefixes included) lives in here, so
# that a test killed on a time-out leaves nothing behind.
VARO_SANDBOX_PARENT=$(mktemp -d /tmp/varo-test.XXXXXX)
export VARO_SANDBOX_PARENT
trap 'rm -rf "$VARO_SANDBOX_PARENT"' EXIT

passed=0 failed=0
count() {
  local name=$1 summary f t
  summary=$(grep -E 'tests passed, [0-9]+ tests? failed out of [0-9]+' "$logdir/$name.log" | tail -n 1)
  if [ -z "$summary" ]; then
    if grep -q 'No tests were found' "$logdir/$name.log"; then return; fi
    echo "$name: no test summary (tier did not run)"
    failed=$((failed + 1))
    return
  fi
  f=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1/' <<<"$summary")
  t=$(sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\2/' <<<"$summary")
  passed=$((passed + t - f))
  failed=$((failed + f))
}

start=$(date +%s)
# The Wine template is made (once) while the native tier runs.
scripts/make-wine-template.sh "$template" >"$logdir/template.log" 2>&1 &
template_job=$!
echo "=== native ==="
ctest --test-dir build/native --output-on-failure 2>&1 | tee "$logdir/native.log"
count native
native_end=$(date +%s)
if ! wait "$template_job"; then
  cat "$logdir/template.log"
  echo "wine: the template prefix could not be made"
  failed=$((failed + 1))
fi

echo "=== win and e2e ($jobs at once) ==="
# A test that fails gets one more run, so that one slip does not hide the
# rest of the picture; every such test is named below all the same.
VARO_TEMPLATE=$template VARO_SANDBOX_TRACE=1 ctest --test-dir build/win32 -j "$jobs" --output-on-failure --repeat until-pass:2 \
  2>&1 | tee "$logdir/wine.log"
count wine
wine_end=$(date +%s)

echo "test time: $((wine_end - start)) s (native $((native_end - start)) s, win and e2e $((wine_end - native_end)) s)"
retried=$(scripts/retried-tests.sh "$logdir/wine.log")
if [ -n "$retried" ]; then
  echo "passed only on a second run: $retried"
fi
echo "$passed passed, $failed failed"
[ "$failed" = 0 ]
