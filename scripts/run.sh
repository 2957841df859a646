#!/bin/bash
# Installs what is missing, builds the program and starts it under Wine.
# The program lives in ~/dorimo (DORIMO_HOME), where it keeps dorimo.ini.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
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
and look at it with a VNC server (x11vnc -display :1) or take a screenshot
with scripts/screenshot.sh.
MSG
    exit 0
fi

source scripts/wine-env.sh
wine_prefix_ready
cd "$home"
echo "starting $home/dorimo.exe"
exec wine dorimo.exe
