#!/usr/bin/env bash
# The README's main job: builds what the demo needs (PWsetup.exe, the
# settings tool, the stand-ins and the demo discs) in the Windows build
# build/windows, or in build/windows64 where 32-bit code cannot run; prepares
# a Wine prefix in which the one-disc set's disc is CD-ROM drive D: labelled
# KORVO_CD_1; and runs PWsetup.exe from that drive.
#
#   With a display (DISPLAY set) the installer opens there and the command
#   ends when it does. Its prefix, <build>/wine/demo-prefix, is kept: run
#   again to see the uninstall offer; delete the folder to start afresh.
#
#   Without one, under Xvfb, the GUI driver walks through the whole install
#   on a fresh prefix (tests/e2e/scenarios/demo/walkthrough.txt) and saves a
#   screenshot of every page in <build>/demo-screenshots/.
#
# With --patch it runs the patch disc (build/windows/demo/patch/disc1, patch
# 1.0.1) the same way, after the demo install: on the display in the kept
# prefix where the demo was installed; under Xvfb on a fresh prefix where the
# driver installs the demo first and then walks through the patch
# (tests/e2e/scenarios/demo/patch-walkthrough.txt).
#
# Usage: scripts/run-demo.sh [--no-deps] [--patch]
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

deps=1
disc_set=one-disc
walkthrough=walkthrough
what=install
for arg in "$@"; do
  case "$arg" in
  --no-deps) deps=0 ;;
  --patch) disc_set=patch walkthrough=patch-walkthrough what="demo install and the patch" ;;
  *) echo "usage: scripts/run-demo.sh [--no-deps] [--patch]" >&2; exit 2 ;;
  esac
done

if [ $deps = 1 ]; then
  bash scripts/install-deps.sh
fi

# The i686 build is the one we ship; a machine that cannot run 32-bit code
# takes the x86-64 build of the same tree (see scripts/windows-suite.sh).
cmake --preset windows >/dev/null
read -r preset reason < <(bash scripts/windows-suite.sh "$root/build/windows")
[ "$preset" = windows ] || echo "Running the x86-64 build: $reason"
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset" -j2 --target demo_discs gui_driver

build=$root/build/$preset
export KORVO_BUILD_DIR=$build
wine_run=$root/cmake/wine-run.sh
driver=$build/tests/e2e/gui_driver.exe
sets=$build/demo

if [ -n "${DISPLAY:-}" ]; then
  export KORVO_WINEPREFIX=$build/wine/demo-prefix KORVO_WINE_TIMEOUT=86400
  trap 'WINEPREFIX=$KORVO_WINEPREFIX wineserver -k >/dev/null 2>&1 || true' EXIT
  # The driver maps the drive through Wine's mount manager, which reads the
  # label from the disc folder's .windows-label.
  map=$build/wine/demo-map-drive.txt
  echo 'map-drive d ${DISC1} cdrom' >"$map"
  bash "$wine_run" "$driver" "$map" "DISC1=$sets/$disc_set/disc1" >/dev/null
  echo "Running PWsetup.exe from drive D: on $DISPLAY"
  # Started in the drive's root with an empty command line, it takes that
  # folder as its source, as when started from a disc's autorun.
  cd "$sets/$disc_set/disc1"
  bash "$wine_run" PWsetup.exe
else
  trap 'bash "$wine_run" --stop >/dev/null 2>&1 || true' EXIT
  shots=$build/demo-screenshots
  rm -rf "$shots"
  mkdir -p "$shots"
  echo "No display: walking through the $what under Xvfb"
  (cd "$shots" && bash "$root/tests/e2e/installer_scenario.sh" "$wine_run" "$driver" \
    "$root/tests/e2e/scenarios/demo/$walkthrough.txt" "$build/demo-run" "$sets/$disc_set" \
    "DEMO=$sets" DPI=96)
  echo "Screenshots of every page:"
  ls -1 "$shots"/*.png
fi
