#!/usr/bin/env bash
# Builds the demo discs (Windows build, build/windows/demo/) and lists their
# archives:
#   one-disc/disc1              the main job's disc: installer, data archive,
#                               billboards, stand-ins and every game file
#   two-discs/disc1, disc2      the scenarios' set, some files on disc 2
# Usage: scripts/run-demo.sh [--no-deps]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--no-deps" ]; then
  bash scripts/install-deps.sh
fi

build=build/windows
cmake --preset windows >/dev/null
cmake --build --preset windows -j2 --target demo_discs
export KORVO_BUILD_DIR=$PWD/$build
trap 'bash cmake/wine-run.sh --stop >/dev/null 2>&1 || true' EXIT

dta() { bash cmake/wine-run.sh "$build/tools/dta.exe" "$@"; }
disc=$build/demo/one-disc/disc1
for archive in "$disc/PWdata.dta" "$disc/bilboard0.dta" "$disc/data/sounds.dta" "$disc/data/textures.dta"; do
  echo "== $archive"
  dta list "$archive"
  dta verify "$archive" >/dev/null
done
echo "== $disc/aa.dta"
dta list --key1 7D14A9E3 --key2 2B6F05C8 "$disc/aa.dta"
echo "demo disc ready in $disc"
