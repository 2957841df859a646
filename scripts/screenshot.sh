#!/bin/bash
# Makes docs/screenshot.png: the real program with two slots set, under Wine
# on an Xvfb display with a Wine desktop (which draws the window frame).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh

source scripts/wine-env.sh
wine_prefix_ready
start_xvfb

folder=$(mktemp -d)
cp build/win/dorimo.exe "$folder/"
printf '%s\r\n' '[main]' 'tray=0' \
    '[rtn1]' 'chk12=1' 'chk13=1' 'chk14=1' 'chk15=1' 'chk16=1' 'H1=08' 'M1=30' 'path1=notepad' \
    'MAE1=2026/12/04 08:30:00' 'TUGI1=armed' \
    '[rtn2]' 'chk27=1' 'H2=21' 'M2=00' 'path2=C:\tools\backup.bat' 'TUGI2=armed' \
    | iconv -f UTF-8 -t CP932 > "$folder/dorimo.ini"

(cd "$folder" && wine explorer /desktop=shot,1024x600 dorimo.exe >/dev/null 2>&1 &)
sleep 8
mkdir -p docs
xwd -root -silent > "$folder/screen.xwd"
python3 scripts/xwd2png.py "$folder/screen.xwd" docs/screenshot.png 128 102 777 358
rm -rf "$folder"
echo "wrote docs/screenshot.png"
