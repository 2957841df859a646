#!/bin/bash
# Installs what is missing, builds the program and starts it under Wine.
# The program lives in ~/dorimo (DORIMO_HOME), where it keeps dorimo.ini; Wine
# runs it in the prefix ~/.cache/dorimo/wine (DORIMO_WINEPREFIX). Root is
# needed only to install what is missing; with everything there, any user
# runs it.
set -euo pipefail
cd "$(dirname "$0")/.."

if ! bash scripts/setup.sh; then
    echo "run.sh: installing what is missing needs root: run 'sudo bash scripts/setup.sh' once," \
         "then scripts/run.sh again as yourself" >&2
    exit 1
fi
bash scripts/build.sh

home="${DORIMO_HOME:-$HOME/dorimo}"
mkdir -p "$home"
cp build/win/dorimo.exe "$home/"

if [ -z "${DISPLAY:-}" ]; then
    cat <<MSG
The program is built: $home/dorimo.exe
There is no display here (DISPLAY is not set). To see the window, run this
command from a desktop session, or start a virtual display first:
    Xvfb :1 -screen 0 1280x1024x24 & export DISPLAY=:1
and look at it with a VNC server (x11vnc -display :1), or take a picture of
that display:
    xwd -display :1 -root | python3 $PWD/scripts/xwd2png.py /dev/stdin screen.png
MSG
    exit 0
fi

source scripts/wine-env.sh
wine_prefix_ready
cd "$home"
echo "starting $home/dorimo.exe (Wine prefix $WINEPREFIX)"
exec wine dorimo.exe
