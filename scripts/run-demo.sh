#!/usr/bin/env bash
# Builds the demo disc from demo/ into build/demo/ and lists its archives:
#   PWdata.dta        install script, licence and patch notes (CRLF texts)
#   bilboard0.dta     the billboard pictures of disc 1 (generated)
#   data/sounds.dta   the intro sound, wave coded (generated)
#   korvo.exe ...     the game files that the install script copies
# Usage: scripts/run-demo.sh [--no-deps]
set -euo pipefail
cd "$(dirname "$0")/.."

if [ "${1:-}" != "--no-deps" ]; then
  bash scripts/install-deps.sh
fi

build=build/demo-native
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKORVO_BENCH=OFF >/dev/null
cmake --build "$build" -j2 --target dta_tool korvo_demo_assets
dta="$build/tools/dta"

disc=build/demo
stage=build/demo-stage
rm -rf "$disc" "$stage"
mkdir -p "$disc" "$stage/setup" "$stage/assets"

# Game files go on the disc as plain files.
cp -R demo/disc/files/. "$disc/"

# The installer's own texts, with Windows line ends.
for f in demo/disc/setup/*.txt; do
  sed 's/\r*$/\r/' "$f" > "$stage/setup/$(basename "$f")"
done
"$dta" pack "$disc/PWdata.dta" "$stage/setup"

# Generated assets: two billboard pictures for disc 1 and the intro sound.
"$build/tools/korvo_demo_assets" "$stage/assets" 2
"$dta" pack "$disc/bilboard0.dta" "$stage/assets/bilboard0.bmp" "$stage/assets/bilboard1.bmp"
mkdir -p "$disc/data"
"$dta" pack "$disc/data/sounds.dta" --as "sound\\intro.wav" "$stage/assets/intro.wav"

for archive in "$disc/PWdata.dta" "$disc/bilboard0.dta" "$disc/data/sounds.dta"; do
  echo "== $archive"
  "$dta" list "$archive"
  "$dta" verify "$archive" >/dev/null
done
echo "demo disc ready in $disc"
