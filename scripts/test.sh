#!/usr/bin/env bash
# Builds everything and runs every test suite: native, sanitizers, fuzz-corpus
# replay with libFuzzer, and the Windows build under Wine (the i686 suite, or
# the x86-64 one on machines that cannot execute 32-bit code; see
# scripts/windows-suite.sh).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

jobs=$(nproc)
build_preset() {  # preset [target...]: every target when none is named
  local preset=$1 start=$SECONDS targets=()
  shift
  [ $# -eq 0 ] || targets=(--target "$@")
  echo "==> $preset: configure and build${*:+ $*}"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" -j"$jobs" "${targets[@]}"
  echo "==> $preset: built in $((SECONDS - start)) s"
}
test_preset() {
  local preset=$1 start=$SECONDS
  echo "==> $preset: test"
  ctest --preset "$preset" -j"$jobs"
  echo "==> $preset: tested in $((SECONDS - start)) s"
}
run_preset() {
  build_preset "$1"
  test_preset "$1"
}

run_preset native
run_preset asan
run_preset fuzz

# The Windows tests run under Wine in each build tree's own prefix, which
# cmake/wine-run.sh creates on first use; stop the wineservers and Xvfb when
# done so that nothing outlives the run.
stop_wine() {
  local tree
  for tree in build/windows build/windows64; do
    [ -d "$tree/wine" ] && KORVO_BUILD_DIR=$PWD/$tree bash cmake/wine-run.sh --stop >/dev/null 2>&1
  done
  return 0
}
trap stop_wine EXIT

# The i686 programs are the ones we ship: always built. Their tests need a
# machine that executes 32-bit code; elsewhere the x86-64 build of the same
# tree is tested under Wine's 64-bit loader (KORVO_WINE_ARCH=win64 forces
# that). Either way the 64-bit build at least compiles. Without 32-bit code
# the i686 build stops at the shipped programs: making its demo discs runs
# its own tools.
cmake --preset windows >/dev/null
read -r suite reason < <(bash scripts/windows-suite.sh "$PWD/build/windows")
if [ "$suite" = windows ]; then
  echo "==> Windows tests: the i686 suite (windows): $reason"
  run_preset windows
  build_preset windows64
else
  echo "==> Windows tests: the x86-64 suite (windows64), of the i686 build only the shipped programs: $reason"
  build_preset windows PWsetup setup
  run_preset windows64
fi
