#!/usr/bin/env bash
# Maps the drive letters that the system service tests use into the Wine
# prefix named by $WINEPREFIX (run it through `wine-run.sh --shell`):
#   R: CD-ROM labelled KORVO_CD_2     S: CD-ROM labelled korvo_cd_2
#   T: CD-ROM labelled KORVO_CD_02    U: CD-ROM labelled KORVO_CD_1
#   V: fixed drive on an empty folder W: CD-ROM drive with no disc in it
#   Y: not mapped at all
# Usage: system_drives.sh FOLDER   (FOLDER receives the drives' contents)
set -eu

[ -n "${WINEPREFIX:-}" ] || { echo "system_drives.sh: WINEPREFIX is not set" >&2; exit 2; }
[ $# -eq 1 ] || { echo "usage: system_drives.sh FOLDER" >&2; exit 2; }
base=$1

rm -rf "$base"
mkdir -p "$base"
base=$(cd "$base" && pwd -P)

map() {  # letter folder
    ln -sfn "$2" "$WINEPREFIX/dosdevices/$1:"
}
labelled() {  # letter label
    mkdir -p "$base/$1"
    printf '%s\n' "$2" >"$base/$1/.windows-label"
    map "$1" "$base/$1"
}

labelled r KORVO_CD_2
labelled s korvo_cd_2
labelled t KORVO_CD_02
labelled u KORVO_CD_1
mkdir -p "$base/v"
map v "$base/v"
map w "$base/no-disc"
rm -f "$WINEPREFIX/dosdevices/y:" "$WINEPREFIX/dosdevices/y::"

reg=$base/drives.reg
printf '%s\r\n' 'REGEDIT4' '' '[HKEY_LOCAL_MACHINE\Software\Wine\Drives]' \
    '"r:"="cdrom"' '"s:"="cdrom"' '"t:"="cdrom"' '"u:"="cdrom"' '"v:"="hd"' '"w:"="cdrom"' >"$reg"
wine regedit /S "$(winepath -w "$reg")"
# Wine reads the drive set-up when its server starts: stop the server (it
# saves the registry as it goes) and wait until it is gone.
wineserver -k || true
wineserver -w || true
