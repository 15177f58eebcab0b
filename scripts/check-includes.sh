#!/usr/bin/env bash
# The house's rooms and the arrows allowed between them. A product source
# file may include the headers of its own room and those of the rooms (or
# single headers) that its room's row lists; any other #include "..." is an
# arrow the house does not allow, and the check fails naming it. Tests,
# benchmarks and the demo build may include anything.
#
#   scripts/check-includes.sh [ROOT]     ROOT: the tree to check (default: this one)
#
# The drawing is in README.md ("The house"); the rows below are its arrows.
set -euo pipefail
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}

# room: what it may include besides itself
rules='
common:
dta/codecs: common dta/format.h dta/reason.h
dta: dta/codecs common
dta/pack: dta dta/codecs common
tools: dta/pack dta dta/codecs common
installer/resources:
installer/system: dta common
installer/engine: installer/system installer/resources dta dta/codecs common
installer/records: installer/engine installer/system installer/resources dta common
installer/ui: installer/resources common
installer/wizard: installer/ui installer/records installer/engine installer/system installer/resources dta common
installer: installer/wizard installer/ui installer/records installer/engine installer/system installer/resources dta common
disc: installer/wizard installer/engine installer/system dta/pack dta dta/codecs common
setup: common
'

cd "$root"
folders=()
for folder in common dta tools installer disc setup; do [ -d "$folder" ] && folders+=("$folder"); done
find "${folders[@]}" \( -name '*.cpp' -o -name '*.h' -o -name '*.inc' \) -print |
  sort |
  xargs awk -v rules="$rules" '
    function room_of(path,   best, r) {
      best = ""
      for (r in allowed) {
        if ((index(path, r "/") == 1) && length(r) > length(best)) best = r
      }
      return best
    }
    BEGIN {
      n = split(rules, lines, "\n")
      for (i = 1; i <= n; i++) {
        if (lines[i] !~ /:/) continue
        split(lines[i], parts, ":")
        allowed[parts[1]] = " " parts[2] " "
      }
      failures = 0
    }
    FNR == 1 {
      room = room_of(FILENAME)
      if (room == "") {
        printf "%s: in no room of the house (add a row to scripts/check-includes.sh)\n", FILENAME
        failures++
      }
    }
    /^[ \t]*#[ \t]*include[ \t]*"/ {
      header = $0
      sub(/^[^"]*"/, "", header)
      sub(/".*$/, "", header)
      if (index(header, "/") == 0 || room == "") next
      target = room_of(header)
      if (target == room) next
      if (index(allowed[room], " " target " ") || index(allowed[room], " " header " ")) next
      printf "%s:%d: %s includes %s: no arrow from %s to %s\n", FILENAME, FNR, room, header, room,
             target == "" ? "outside the house" : target
      failures++
    }
    END {
      if (failures) {
        printf "%d include(s) cross a forbidden arrow\n", failures
        exit 1
      }
    }'
