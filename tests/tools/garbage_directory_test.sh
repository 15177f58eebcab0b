#!/bin/bash
# A 3 GB archive of zeros behind a valid magic claims a directory of millions
# of entries. list and verify must give up early, print a bounded number of
# lines, exit nonzero and keep their peak memory far below what the header
# claims. Usage: garbage_directory_test.sh DTA_PROGRAM
set -u
dta=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail=0

printf PWD0 >"$work/h.dta"
head -c16 /dev/zero >>"$work/h.dta"
truncate -s 3G "$work/h.dta"

for command in list verify; do
  /usr/bin/time -v -o "$work/time.txt" "$dta" "$command" "$work/h.dta" >"$work/out.txt" 2>"$work/err.txt"
  status=$?
  peak_kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
  lines=$(cat "$work/out.txt" "$work/err.txt" | wc -l)
  echo "dta $command: exit $status, peak ${peak_kb} kB, $lines lines"
  if [ "$status" -eq 0 ]; then echo "FAIL: dta $command exited 0 on a garbage directory"; fail=1; fi
  if [ -z "$peak_kb" ] || [ "$peak_kb" -ge 65536 ]; then echo "FAIL: dta $command peaked at ${peak_kb} kB"; fail=1; fi
  if [ "$lines" -gt 100 ]; then echo "FAIL: dta $command printed $lines lines"; head -5 "$work/err.txt"; fail=1; fi
done
exit $fail
