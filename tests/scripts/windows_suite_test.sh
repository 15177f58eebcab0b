#!/usr/bin/env bash
# Which Windows suite scripts/test.sh runs, and which loader the Wine runner
# takes for a build tree, with stand-in loaders: one that starts, one that
# fails like a 32-bit program on a machine without 32-bit support.
set -u
# The switches that scripts/test.sh honours may be set for the run that
# includes this test; each check below sets its own.
unset KORVO_WINE_ARCH KORVO_WINE_LOADER32
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT

failures=0
check() {  # description expected actual
    if [ "$2" != "$3" ]; then
        echo "FAILED: $1"
        echo "  expected: $2"
        echo "  actual:   $3"
        failures=$((failures + 1))
    fi
}

tree() {  # folder architecture: a build tree as the runner sees it
    mkdir -p "$1"
    echo "KORVO_WINE_ARCH:INTERNAL=$2" >"$1/CMakeCache.txt"
}
tree "$tmp/i686" win32
tree "$tmp/x86_64" win64
starts=$tmp/starting-loader
printf '#!/bin/sh\necho wine-8.0\n' >"$starts"
chmod +x "$starts"
broken=$here/exec_format_error_loader.sh

suite() {  # prints the chosen suite line, or "exit N" when the script fails
    local line
    line=$(bash "$root/scripts/windows-suite.sh" "$tmp/i686" 2>/dev/null) || { echo "exit $?"; return; }
    echo "$line"
}

# Tried, not guessed: a loader that starts means the i686 suite.
check "a 32-bit loader that starts" \
    "windows this machine runs 32-bit programs ($starts starts)" \
    "$(KORVO_WINE_LOADER32=$starts suite)"

# One that cannot execute means the 64-bit suite, and the line says why.
line=$(KORVO_WINE_LOADER32=$broken suite)
check "a 32-bit loader with Exec format error picks the 64-bit suite" windows64 "${line%% *}"
case "$line" in
*"cannot run 32-bit programs"*"Exec format error"*) ;;
*) check "the reason names the loader's error" "...Exec format error)" "$line" ;;
esac

# The switch overrides the trial both ways; anything else is refused.
check "KORVO_WINE_ARCH=win64 forces the 64-bit suite" \
    "windows64 KORVO_WINE_ARCH=win64 asks for the 64-bit suite" \
    "$(KORVO_WINE_ARCH=win64 KORVO_WINE_LOADER32=$starts suite)"
check "KORVO_WINE_ARCH=win32 forces the 32-bit suite" \
    "windows KORVO_WINE_ARCH=win32 asks for the 32-bit suite" \
    "$(KORVO_WINE_ARCH=win32 KORVO_WINE_LOADER32=$broken suite)"
check "an unknown KORVO_WINE_ARCH is refused" "exit 2" "$(KORVO_WINE_ARCH=win16 suite)"

# The runner takes the loader of the tree's own architecture.
loader() {  # tree
    KORVO_BUILD_DIR=$1 KORVO_WINE_LOADER32=$broken KORVO_WINE_LOADER64=$starts \
        bash "$root/cmake/wine-run.sh" --loader 2>/dev/null || echo "exit $?"
}
check "a win64 tree runs under the 64-bit loader" "$starts" "$(loader "$tmp/x86_64")"
check "a win32 tree's unrunnable loader is reported" "exit 1" "$(loader "$tmp/i686")"
tree "$tmp/odd" win16
check "an unknown architecture in the cache is refused" "exit 125" "$(loader "$tmp/odd")"

[ $failures -eq 0 ] && echo "all checks passed"
exit $((failures > 0))
