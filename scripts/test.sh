#!/usr/bin/env bash
# Builds everything and runs every test suite: native, sanitizers, fuzz-corpus
# replay with libFuzzer, and the Windows build under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
run_preset() {
  local preset=$1
  echo "==> $preset: configure and build"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs"
  echo "==> $preset: test"
  ctest --preset "$preset" -j"$jobs"
}

run_preset native
run_preset asan
run_preset fuzz
