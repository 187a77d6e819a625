#!/usr/bin/env bash
# Prints the archive URI of the machine's own apt source for a suite, so that
# another suite of the same archive (backports) can come from the same mirror.
# Reads sources.list, sources.list.d/*.list (one-line form) and
# sources.list.d/*.sources (deb822 form); disabled entries and comments are
# skipped, CRLF line ends read like LF ones. Exit status 1 when no enabled
# binary source names the suite.
# usage: apt-mirror.sh SUITE [APT_DIR]   (APT_DIR defaults to /etc/apt)
set -euo pipefail
suite=$1
dir=${2:-/etc/apt}

# The file's lines without a carriage return at their end, and a line of
# only blank space made empty: apt takes it as the end of a deb822 stanza.
lines() { sed -e 's/\r$//' -e 's/^[[:blank:]]*$//' "$1"; }

one_line() {
  # deb [option=value ...] URI SUITE COMPONENT...
  lines "$1" | awk -v suite="$suite" '
    $1 == "deb" {
      i = 2
      if ($2 ~ /^\[/) { while (i <= NF && $i !~ /\]$/) i++; i++ }
      if ($(i + 1) == suite) { print $i; exit }
    }'
}

deb822() {
  # Stanzas separated by blank lines; a line that starts with blank space
  # continues the field above it.
  lines "$1" | awk -v suite="$suite" '
    BEGIN { RS = ""; FS = "\n" }
    {
      types = uris = suites = enabled = key = ""
      for (i = 1; i <= NF; i++) {
        line = $i
        if (line ~ /^#/) continue
        if (match(line, /^[A-Za-z-]+:/)) {
          key = tolower(substr(line, 1, RLENGTH - 1)); value = substr(line, RLENGTH + 1)
        } else if (line ~ /^[ \t]/) {
          value = line
        } else continue
        if (key == "types") types = types " " value
        else if (key == "uris") uris = uris " " value
        else if (key == "suites") suites = suites " " value
        else if (key == "enabled") enabled = value
      }
      if (tolower(enabled) ~ /no/) next
      if ((types " ") !~ /[ \t]deb[ \t]/ || (suites " ") !~ ("[ \t]" suite "[ \t]")) next
      n = split(uris, uri, /[ \t]+/)
      for (j = 1; j <= n; j++) if (uri[j] != "") { print uri[j]; exit }
    }'
}

for file in "$dir/sources.list" "$dir"/sources.list.d/*.list "$dir"/sources.list.d/*.sources; do
  [ -f "$file" ] || continue
  case $file in
    *.sources) uri=$(deb822 "$file") ;;
    *) uri=$(one_line "$file") ;;
  esac
  if [ -n "$uri" ]; then
    echo "$uri"
    exit 0
  fi
done
exit 1
