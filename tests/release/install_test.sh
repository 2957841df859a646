#!/bin/bash
# The Linux install, into a temporary home whose path holds a blank: the
# files land where the desktop looks for them and its entries are valid; the
# launcher starts the program under Wine (in the test prefix, on a private
# Xvfb display), its window shows, and when it is closed it leaves its
# settings in the install folder; uninstalling keeps only those settings, and
# removing them too leaves nothing behind.
set -euo pipefail
cd "$(dirname "$0")/../.."

source scripts/wine-env.sh
wine_prefix_ready
wine_prefix_copy install  # beside the other runs under Wine
start_xvfb
home=$(mktemp -d "/tmp/dorimo home.XXXXXX")
trap 'rm -rf "$home"; stop_wine_and_xvfb' EXIT
export DORIMO_WINEPREFIX="$WINEPREFIX" HOME="$home"
unset XDG_DATA_HOME XDG_CONFIG_HOME

fail() { echo "install test: $*" >&2; exit 1; }
files() { (cd "$home" && find . -type f | sort); }

bash scripts/install-linux.sh --autostart
folder="$home/.local/share/dorimo"
launcher="$home/.local/bin/dorimo"
entry="$home/.local/share/applications/dorimo.desktop"
cmp "$folder/dorimo.exe" build/release/dorimo.exe
[ -x "$launcher" ] || fail "no launcher"
desktop-file-validate "$entry"
desktop-file-validate "$home/.config/autostart/dorimo.desktop"
grep -qxF "Exec=\"$launcher\"" "$entry" || fail "the menu entry does not start the launcher"
grep -qx 'Icon=dorimo' "$entry" || fail "the menu entry names another icon"
python3 - "$home/.local/share/icons/hicolor/32x32/apps/dorimo.png" <<'PY'
import struct, sys
data = open(sys.argv[1], "rb").read()
assert data[:8] == b"\x89PNG\r\n\x1a\n", "not a PNG"
assert struct.unpack(">IIBB", data[16:26]) == (32, 32, 8, 6), "not 32 x 32 RGBA"
PY

# The window, shown, by its caption and the program's class on the X display.
"$launcher" &
started=$!
window=""
for _ in $(seq 120); do
    window=$(xwininfo -root -tree | grep -F '"ドリモ丸": ("dorimo.exe"' | awk '{print $1}' || true)
    [ -n "$window" ] && xwininfo -id "$window" | grep -q 'Map State: IsViewable' && break
    window=""
    sleep 0.5
done
[ -n "$window" ] || fail "no window after 60 s"

# A close request (no /f: the window gets WM_CLOSE) saves the settings.
wine taskkill /im dorimo.exe >/dev/null
for _ in $(seq 60); do kill -0 "$started" 2>/dev/null || break; sleep 0.5; done
kill -0 "$started" 2>/dev/null && fail "the program did not end after its close"
grep -q '^\[main\]' "$folder/dorimo.ini" || fail "no settings written in $folder"

bash scripts/install-linux.sh --uninstall
[ "$(files)" = "./.local/share/dorimo/dorimo.ini" ] || fail "left after uninstalling: $(files)"
bash scripts/install-linux.sh --uninstall --remove-settings
[ -z "$(files)" ] || fail "left after removing the settings: $(files)"
[ -z "$(find "$home" -mindepth 1 -name '*dorimo*')" ] || fail "left: $(find "$home" -mindepth 1 -name '*dorimo*')"
echo "install test: installed, started, closed with its settings written, uninstalled"
