#!/usr/bin/env bash
# The first use of a fresh build tree by several programs at once (as when
# test discovery and tests start together under `ctest -j`): one run makes the
# Wine prefix, every other one waits for it and then runs in it. None fails,
# all list the same tests, and the prefix is made exactly once.
# Usage: first_use_race.sh RUNNER TEST_PROGRAM WINE_ARCH
set -u
[ $# -eq 3 ] || { echo "usage: first_use_race.sh RUNNER TEST_PROGRAM WINE_ARCH" >&2; exit 2; }
runner=$1 program=$2 arch=$3

tree=$(mktemp -d) || exit 2
cleanup() {
    KORVO_BUILD_DIR=$tree bash "$runner" --stop >/dev/null 2>&1
    rm -rf "$tree"
}
trap cleanup EXIT
# A build tree as the runner sees one: its cache names the architecture.
echo "KORVO_WINE_ARCH:INTERNAL=$arch" >"$tree/CMakeCache.txt"
export KORVO_BUILD_DIR=$tree

pids=()
for i in 1 2 3 4; do
    bash "$runner" "$program" --gtest_list_tests >"$tree/out.$i" 2>"$tree/err.$i" &
    pids+=($!)
done
# A test with a prefix of its own, and the set-up step, at the same moment.
KORVO_WINEPREFIX=$tree/wine/own bash "$runner" "$program" --gtest_list_tests >"$tree/out.5" 2>"$tree/err.5" &
pids+=($!)
bash "$runner" --setup >/dev/null 2>"$tree/err.6" &
pids+=($!)

failures=0
for i in "${!pids[@]}"; do
    wait "${pids[$i]}"
    rc=$?
    if [ $rc -ne 0 ]; then
        echo "FAILED: run $((i + 1)) ended with status $rc:"
        cat "$tree/err.$((i + 1))"
        failures=$((failures + 1))
    fi
done

if ! grep -q '^  ' "$tree/out.1"; then
    echo "FAILED: the first run listed no tests"
    failures=$((failures + 1))
fi
for i in 2 3 4 5; do
    if ! cmp -s "$tree/out.1" "$tree/out.$i"; then
        echo "FAILED: run $i listed other tests than run 1"
        failures=$((failures + 1))
    fi
done
made=$(cat "$tree"/err.* | grep -c "creating the Wine prefix")
if [ "$made" -ne 1 ]; then
    echo "FAILED: the prefix was made $made times, not once"
    failures=$((failures + 1))
fi

[ $failures -eq 0 ] && echo "six runs at once, one prefix made, every run passed"
exit $((failures > 0))
