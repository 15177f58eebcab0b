#!/bin/bash
# pack -o - holds the archive back in memory and then in a nameless
# temporary file: a pipe into list - leaves nothing in TMPDIR, not even when
# pack is killed with SIGKILL while coding; a temporary folder pack can't
# use is named with the reason, exit 1. A full file system can't be made
# without root here, so the folder failures covered are a missing and a
# read-only TMPDIR (the same report path as ENOSPC: the folder and the
# system's reason). Usage: pipe_output_test.sh DTA_PROGRAM
set -u
dta=$1
work=$(mktemp -d)
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT
fail=0
check() { if ! eval "$2"; then echo "FAIL: $1"; fail=1; fi; }

# 48 MiB stored: more than the 32 MiB held in memory, so the file is used.
mkdir -p "$work/in" "$work/tmp"
head -c $((48 << 20)) /dev/urandom >"$work/in/big.bin"
echo small >"$work/in/small.txt"

TMPDIR="$work/tmp" "$dta" pack -q --method stored -o - "$work/in" 2>"$work/err.txt" |
  TMPDIR="$work/tmp" "$dta" list - >"$work/list.txt" 2>>"$work/err.txt"
check "pack | list - lists both entries" "grep -q 'big.bin' '$work/list.txt' && grep -q 'small.txt' '$work/list.txt'"
check "pack | list - leaves TMPDIR empty" "[ -z \"\$(ls -A '$work/tmp')\" ]"

# SIGKILL once pack holds its temporary file open.
TMPDIR="$work/tmp" "$dta" pack -q -j1 --method lz -o - "$work/in" >/dev/null 2>&1 &
pid=$!
# Coding the first 32 MiB takes a while on a slow or sanitized build, so wait
# as long as pack runs (it ends by itself, its output going to /dev/null).
held=0
while kill -0 $pid 2>/dev/null; do
  if ls -l /proc/$pid/fd 2>/dev/null | grep -q "$work/tmp"; then held=1; break; fi
  sleep 0.05
done
kill -KILL $pid 2>/dev/null
wait $pid 2>/dev/null
check "pack held a temporary file in TMPDIR before the kill" "[ $held -eq 1 ]"
check "SIGKILL leaves TMPDIR empty" "[ -z \"\$(ls -A '$work/tmp')\" ]"

# A missing and a read-only temporary folder.
TMPDIR="$work/missing" "$dta" pack -q --method stored -o - "$work/in" >"$work/out.bin" 2>"$work/err.txt"
status=$?
check "missing TMPDIR: exit 1 (got $status)" "[ $status -eq 1 ]"
check "missing TMPDIR: folder and reason named" "grep -q '$work/missing: No such file or directory' '$work/err.txt'"
check "missing TMPDIR: nothing written" "[ ! -s '$work/out.bin' ]"

mkdir "$work/ro" && chmod a-w "$work/ro"
if [ -w "$work/ro" ]; then
  echo "skipped: read-only folder is writable here (root)"
else
  "$dta" pack -q --method stored --tmpdir "$work/ro" -o - "$work/in" >/dev/null 2>"$work/err.txt"
  status=$?
  check "read-only --tmpdir: exit 1 (got $status)" "[ $status -eq 1 ]"
  check "read-only --tmpdir: folder and reason named" "grep -q '$work/ro: Permission denied' '$work/err.txt'"
fi

# A closed standard output is a failure, not a success.
"$dta" pack -q -o - "$work/in/small.txt" >&- 2>"$work/err.txt"
status=$?
check "closed stdout: exit 1 (got $status)" "[ $status -eq 1 ]"
check "closed stdout: says so" "grep -q 'cannot write to standard output' '$work/err.txt'"
# A terminal is refused as the archive's output or input (script gives the
# command a pseudo-terminal on both).
if command -v script >/dev/null; then
  script -qec "'$dta' pack -q -o - '$work/in/small.txt'" /dev/null </dev/null >"$work/tty.txt" 2>&1
  status=$?
  check "pack -o - onto a terminal: exit 1 (got $status)" "[ $status -eq 1 ]"
  check "pack -o - onto a terminal: says so" "grep -q 'will not write an archive to a terminal' '$work/tty.txt'"
  for args in "list -" "verify -" "cat - a"; do
    script -qec "'$dta' $args" /dev/null </dev/null >"$work/tty.txt" 2>&1
    check "$args from a terminal: refused" "grep -q 'will not read an archive from a terminal' '$work/tty.txt'"
  done
else
  echo "skipped: no script(1) for a pseudo-terminal"
fi
exit $fail
