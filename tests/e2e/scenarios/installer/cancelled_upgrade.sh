# An older version (0.9) in the game folder: its own Game.exe, a korvo.ini the
# user edited, its data and a saved game. WORK/old keeps copies to compare.
set -eu
game="$WINEPREFIX/drive_c/Games/Korvo"
mkdir -p "$game/data" "$game/savegame" "$WORK/old"
printf 'Korvo 0.9 program\r\n' >"$game/Game.exe"
printf '[video]\r\nwidth=1024\r\n; edited by the user\r\n' >"$game/korvo.ini"
printf 'Korvo 0.9 tables' >"$game/aa.dta"
printf 'Korvo 0.9 sounds' >"$game/data/sounds.dta"
printf 'level 3, 1200 points' >"$game/savegame/1.sav"
cp "$game/Game.exe" "$game/korvo.ini" "$game/aa.dta" "$game/data/sounds.dta" "$game/savegame/1.sav" "$WORK/old/"
