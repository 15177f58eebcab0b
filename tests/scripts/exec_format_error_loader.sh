#!/bin/sh
# Stands in for Wine's 32-bit loader on a machine that cannot execute 32-bit
# programs: fails the way the shell reports such a program. Point the runner
# at it with KORVO_WINE_LOADER32 to take the 64-bit path on any machine.
echo "$0: cannot execute binary file: Exec format error" >&2
exit 126
