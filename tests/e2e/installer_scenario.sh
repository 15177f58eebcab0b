#!/usr/bin/env bash
# Runs one installer scenario on a Wine prefix and discs of its own, so that
# what an install leaves behind (files, registry, links) never reaches another
# scenario:
#
#   installer_scenario.sh WINE_RUN DRIVER SCRIPT WORK DISCS [NAME=VALUE...]
#
#   WORK   the scenario's folder, emptied first: WORK/prefix (a copy of the
#          build tree's pristine prefix), WORK/disc1, WORK/disc2 ... (copies
#          of DISCS/disc*, which a scenario may change)
#   SCRIPT the driver script; it maps the disc drive itself
#          (map-drive d ${DISC1} cdrom). A file beside it named like it with
#          ".sh" for ".txt" runs first, with WINEPREFIX and WORK set, for what
#          the driver cannot do from inside Wine (links to devices).
#
# The driver gets the variables DISC1, DISC2 ... and WORK (Unix paths), and
# the given NAME=VALUE definitions. It runs in the current folder, where its
# screenshots go. On success WORK is removed; on failure it stays for a look.
set -u

[ $# -ge 5 ] || { echo "usage: installer_scenario.sh WINE_RUN DRIVER SCRIPT WORK DISCS [NAME=VALUE...]" >&2; exit 2; }
wine_run=$1 driver=$2 script=$3 work=$4 discs=$5
shift 5

# Stops the scenario prefix's wineserver, whatever happens.
stop_server() {
    [ -f "$work/prefix/system.reg" ] && WINEPREFIX=$work/prefix timeout 30 wineserver -k >/dev/null 2>&1
    return 0
}
stop_server
rm -rf "$work"
mkdir -p "$work" || exit 2
work=$(cd "$work" && pwd -P)
trap stop_server EXIT

vars=("WORK=$work")
for disc in "$discs"/disc*; do
    [ -d "$disc" ] || continue
    name=$(basename "$disc")
    cp -R "$disc" "$work/$name" || exit 2
    vars+=("$(echo "$name" | tr '[:lower:]' '[:upper:]')=$work/$name")
done

export KORVO_WINEPREFIX=$work/prefix
"$wine_run" --setup || exit 2

prepare=${script%.txt}.sh
if [ -f "$prepare" ]; then
    WORK=$work bash "$wine_run" --shell bash "$prepare" || { echo "installer_scenario.sh: $prepare failed" >&2; exit 1; }
fi

"$wine_run" "$driver" "$script" "${vars[@]}" "$@"
rc=$?
stop_server
trap - EXIT
if [ $rc -eq 0 ]; then
    rm -rf "$work"
else
    echo "installer_scenario.sh: the scenario's prefix and discs stay in $work"
fi
exit $rc
