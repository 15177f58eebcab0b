#!/usr/bin/env bash
# Packs one folder with `dta pack` and with the peers `tar | zstd -1` and
# `tar | gzip -6` in the same run, and prints for each the rate (MB of file
# data per second of wall time), the peak memory (largest process's resident
# set, from /usr/bin/time -v) and the output size, then dta's ratios against
# each peer. The best of several rounds counts; the folder is read once
# first, so every round reads it from the cache.
#
# Usage: bench/pack_bench.sh [FOLDER] [ROUNDS]
#   FOLDER  default /usr/share/doc
#   ROUNDS  default 3
# DTA=path/to/dta picks the tool (default build/native/tools/dta); DTA_ARGS
# adds options to every dta run (for example "-j 1").
set -euo pipefail
cd "$(dirname "$0")/.."

folder=$(realpath "${1:-/usr/share/doc}")
rounds=${2:-3}
dta=${DTA:-build/native/tools/dta}
[ -x "$dta" ] || { echo "no dta at $dta: build it first (cmake --build --preset native --target dta_tool)" >&2; exit 1; }
for tool in /usr/bin/time zstd gzip tar; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (scripts/install-deps.sh installs it)" >&2; exit 1; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
parent=$(dirname "$folder")
name=$(basename "$folder")

bytes=$(find "$folder" -type f -printf '%s\n' | awk '{s += $1} END {print s + 0}')
files=$(find "$folder" -type f | wc -l)
tar -cf - -C "$parent" "$name" 2>/dev/null >/dev/null || true  # warm the cache

# run LABEL OUTPUT COMMAND: best wall time and peak memory over the rounds.
declare -A seconds memory size
run() {
  local label=$1 output=$2 command=$3 best="" peak=0
  for ((r = 0; r < rounds; r++)); do
    rm -f "$output"
    /usr/bin/time -v -o "$work/time.txt" bash -c "$command" 2>/dev/null
    local wall kb
    wall=$(awk -F': ' '/Elapsed \(wall clock\)/ {n = split($2, p, ":"); s = 0; for (i = 1; i <= n; i++) s = s * 60 + p[i]; print s}' "$work/time.txt")
    kb=$(awk -F': ' '/Maximum resident set size/ {print $2}' "$work/time.txt")
    if [ -z "$best" ] || awk -v a="$wall" -v b="$best" 'BEGIN {exit !(a < b)}'; then best=$wall; fi
    if [ "$kb" -gt "$peak" ]; then peak=$kb; fi
  done
  seconds[$label]=$best
  memory[$label]=$peak
  size[$label]=$(stat -c %s "$output")
}

run dta "$work/out.dta" "'$dta' pack -q ${DTA_ARGS:-} '$work/out.dta' -C '$parent' '$name' 2>/dev/null"
run "tar|zstd -1" "$work/out.tar.zst" "tar -cf - -C '$parent' '$name' 2>/dev/null | zstd -1 -q -c > '$work/out.tar.zst'"
run "tar|gzip -6" "$work/out.tar.gz" "tar -cf - -C '$parent' '$name' 2>/dev/null | gzip -6 -c > '$work/out.tar.gz'"

echo "corpus: $folder, $files files, $(awk -v b="$bytes" 'BEGIN {printf "%.1f", b / 1e6}') MB; best of $rounds rounds; $(nproc) cores"
printf '%-14s %9s %10s %12s %11s\n' "packer" "MB/s" "seconds" "peak MB" "output MB"
for label in dta "tar|zstd -1" "tar|gzip -6"; do
  awk -v l="$label" -v s="${seconds[$label]}" -v m="${memory[$label]}" -v o="${size[$label]}" -v b="$bytes" \
    'BEGIN {printf "%-14s %9.1f %10.2f %12.1f %11.1f\n", l, (s > 0 ? b / 1e6 / s : 0), s, m / 1024, o / 1e6}'
done
for peer in "tar|zstd -1" "tar|gzip -6"; do
  awk -v p="$peer" -v ds="${seconds[dta]}" -v ps="${seconds[$peer]}" -v dm="${memory[dta]}" -v pm="${memory[$peer]}" \
      -v dsize="${size[dta]}" -v psize="${size[$peer]}" \
    'BEGIN {printf "dta vs %-12s speed %.2fx, peak memory %.2fx, output size %.2fx\n", p, (ds > 0 ? ps / ds : 0), dm / pm, dsize / psize}'
done
