# The game folder's korvo.ini is a link to /dev/full: creating it works,
# every write fails with "disk full".
set -eu
mkdir -p "$WINEPREFIX/drive_c/Games/Korvo"
ln -s /dev/full "$WINEPREFIX/drive_c/Games/Korvo/korvo.ini"
