#!/usr/bin/env bash
# Names the tests of a ctest log (run with --repeat until-pass:N) that failed
# at least once and passed in the end, separated by spaces.
# usage: retried-tests.sh CTEST_LOG
set -euo pipefail
awk '
  # "12/78 Test #12: name ....***Failed  5.80 sec", or the same without the
  # count for a repeated run; the status follows the dots.
  match($0, /Test +#[0-9]+: [^ ]+ /) {
    name = substr($0, RSTART, RLENGTH); sub(/^Test +#[0-9]+: /, "", name); sub(/ $/, "", name)
    rest = substr($0, RSTART + RLENGTH)
    if (rest ~ /^\.*[ ]*Passed/) passed[name] = 1
    else if (rest ~ /^\.*[ ]*\*\*\*/) slipped[name] = 1
  }
  END { for (name in slipped) if (name in passed) print name }
' "$1" | sort | paste -sd ' ' -
