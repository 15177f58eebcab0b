#!/usr/bin/env bash
# Chooses which Windows test suite this machine runs, by trying rather than
# guessing: the i686 suite (`windows`, the programs we ship) when Wine's 32-bit
# loader runs here, else the x86-64 one (`windows64`) under Wine's 64-bit
# loader. Some machines cannot execute 32-bit programs at all.
#
# Usage: scripts/windows-suite.sh I686_BUILD_DIR
#   Prints one line: the preset name, a blank, and the reason.
#   KORVO_WINE_ARCH=win64 forces the 64-bit suite, win32 the 32-bit one.
#   The loader tried is the one cmake/wine-run.sh would use for the i686 tree
#   (KORVO_WINE_LOADER32 points it elsewhere). The 64-bit path on a machine
#   that does run 32-bit code, as a machine without it would take it:
#     KORVO_WINE_LOADER32=$PWD/tests/scripts/exec_format_error_loader.sh bash scripts/test.sh
set -uo pipefail

[ $# -eq 1 ] || { echo "usage: windows-suite.sh I686_BUILD_DIR" >&2; exit 2; }
runner=$(dirname "$0")/../cmake/wine-run.sh

case "${KORVO_WINE_ARCH:-}" in
win64) echo "windows64 KORVO_WINE_ARCH=win64 asks for the 64-bit suite"; exit 0 ;;
win32) echo "windows KORVO_WINE_ARCH=win32 asks for the 32-bit suite"; exit 0 ;;
"") ;;
*) echo "windows-suite.sh: KORVO_WINE_ARCH must be win32 or win64, not '$KORVO_WINE_ARCH'" >&2; exit 2 ;;
esac

errors=$(mktemp) || exit 2
trap 'rm -f "$errors"' EXIT
if loader=$(KORVO_BUILD_DIR=$1 bash "$runner" --loader 2>"$errors"); then
    echo "windows this machine runs 32-bit programs ($loader starts)"
else
    why=$(sed 's/^wine-run.sh: //' "$errors" | tail -n 1)
    echo "windows64 this machine cannot run 32-bit programs (${why:-the 32-bit loader failed})"
fi
