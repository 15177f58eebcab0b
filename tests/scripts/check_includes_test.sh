#!/usr/bin/env bash
# scripts/check-includes.sh on small made-up trees: an allowed arrow passes,
# a forbidden one and a file in no room fail with the file and line named.
set -euo pipefail
check=$(cd "$(dirname "$0")/../../scripts" && pwd)/check-includes.sh
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
fail() { echo "FAILED: $*"; exit 1; }

mkdir -p "$tree"/{common,dta,installer/engine,installer/ui,installer/wizard}
printf '#include <vector>\n#include "common/path_builder.h"\n' >"$tree/dta/reader.cpp"
printf '#include "installer/engine/flow.h"\n#include "installer/ui/dialog_win32.h"\n' >"$tree/installer/wizard/page.cpp"
printf '#include "local.h"\n' >"$tree/installer/ui/dialog_win32.cpp"
bash "$check" "$tree" >"$tree/out" || fail "allowed arrows refused: $(cat "$tree/out")"

printf '// the dialog layer\n#include "installer/engine/settings_table.h"\n' >"$tree/installer/ui/texts_win32.h"
if bash "$check" "$tree" >"$tree/out"; then fail "ui -> engine passed"; fi
grep -q '^installer/ui/texts_win32.h:2: .*no arrow from installer/ui to installer/engine' "$tree/out" ||
  fail "unexpected report: $(cat "$tree/out")"
rm "$tree/installer/ui/texts_win32.h"

printf '#include "dta/reader.h"\n' >"$tree/common/bad.h"
if bash "$check" "$tree" >"$tree/out"; then fail "common -> dta passed"; fi
grep -q '^common/bad.h:1: ' "$tree/out" || fail "unexpected report: $(cat "$tree/out")"
rm "$tree/common/bad.h"

mkdir -p "$tree/installer/attic" && touch "$tree/installer/attic/x.cpp"
mkdir -p "$tree/tools/stray" && touch "$tree/tools/stray/y.cpp"
bash "$check" "$tree" >/dev/null || fail "subfolders of a room are part of it"
echo passed
