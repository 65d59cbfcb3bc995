#!/usr/bin/env bash
# Runs an example program and checks its output: the program must exit with 0 and print every
# line of the expected files. A line of an expected file is compared exactly, unless it starts
# with "re:", when the rest is an extended regular expression that a whole output line must match.
# Empty lines and lines starting with "#" are ignored.
set -uo pipefail
program=$1
shift
output=$("$program" 2>&1)
status=$?
missing=0
if [[ $status -ne 0 ]]; then
  echo "FAIL: $program exited with $status"
  missing=1
fi
for file in "$@"; do
  while IFS= read -r line || [[ -n $line ]]; do
    [[ -z $line || $line == \#* ]] && continue
    if [[ $line == re:* ]]; then
      grep -Eqx -- "${line#re:}" <<<"$output" && continue
    else
      grep -Fqx -- "$line" <<<"$output" && continue
    fi
    echo "FAIL: missing line: $line"
    missing=1
  done <"$file"
done
if [[ $missing -ne 0 ]]; then
  echo "---- output of $program"
  echo "$output"
  exit 1
fi
echo "PASS: $(basename "$program")"
