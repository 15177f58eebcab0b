#!/usr/bin/env bash
# Builds everything and runs every test suite: native, sanitizers, fuzz-corpus
# replay with libFuzzer, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
run_preset() {
  local preset=$1 start=$SECONDS tested
  echo "==> $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  echo "==> $preset: test"
  tested=$SECONDS
  ctest --preset "$preset" -j"$jobs"
  echo "==> $preset: built in $((tested - start)) s, tested in $((SECONDS - tested)) s"
}

run_preset native
run_preset asan
run_preset fuzz

# The Windows build's tests run under Wine in the build tree's own prefix,
# which cmake/wine-run.sh creates on first use; stop its wineserver and Xvfb
# when done so that nothing outlives the run.
trap 'bash cmake/wine-run.sh --stop >/dev/null 2>&1 || true' EXIT
mkdir -p build/windows
export KORVO_BUILD_DIR=$PWD/build/windows
run_preset windows
