#!/bin/bash
# Runs a Windows program under Wine on a screen of another resolution:
#   at_dpi.sh DPI PROGRAM [ARGUMENTS]
# in a prefix beside $WINEPREFIX ("<prefix>-<DPI>dpi", made anew each time)
# that has a copy of its registry with LogPixels set and shares its drive C:.
# The program learns the resolution asked for from DORIMO_TEST_DPI.
set -euo pipefail
dpi=$1
shift
base=${WINEPREFIX:?WINEPREFIX names the prefix to copy}
[ -f "$base/system.reg" ] || { echo "at_dpi.sh: no Wine prefix at $base" >&2; exit 1; }

export WINEPREFIX="$base-${dpi}dpi"
WINEPREFIX="$WINEPREFIX" wineserver -k >/dev/null 2>&1 || true
rm -rf "$WINEPREFIX"
mkdir -p "$WINEPREFIX/dosdevices"
cp "$base"/*.reg "$base/.update-timestamp" "$WINEPREFIX/"
ln -s "$base/drive_c" "$WINEPREFIX/drive_c"
ln -s ../drive_c "$WINEPREFIX/dosdevices/c:"
ln -s / "$WINEPREFIX/dosdevices/z:"
trap 'wineserver -k >/dev/null 2>&1 || true' EXIT

# Wine takes the resolution when its server starts: set it, then start anew.
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
wineserver -k >/dev/null 2>&1 || true
DORIMO_TEST_DPI=$dpi wine "$@"
