#!/bin/bash
# Installs the release for the user who runs this script, to run under Wine:
#   ~/.local/share/dorimo/dorimo.exe    the program; it keeps dorimo.ini beside it
#   ~/.local/bin/dorimo                  the launcher: Wine with the Japanese locale,
#                                        in the program's own prefix
#                                        (~/.local/share/wineprefixes/dorimo, or
#                                        DORIMO_WINEPREFIX when that is set)
#   ~/.local/share/applications/dorimo.desktop and
#   ~/.local/share/icons/hicolor/32x32/apps/dorimo.png: the desktop's menu entry
#   with --autostart also ~/.config/autostart/dorimo.desktop: started at login
# --uninstall removes all of it but the settings file, which
# --remove-settings removes as well.
#   scripts/install-linux.sh [--autostart]
#   scripts/install-linux.sh --uninstall [--remove-settings]
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "usage: scripts/install-linux.sh [--autostart] | --uninstall [--remove-settings]" >&2
    exit 2
}
action=install autostart=0 remove_settings=0
for a in "$@"; do
    case "$a" in
    --autostart) autostart=1 ;;
    --uninstall) action=uninstall ;;
    --remove-settings) remove_settings=1 ;;
    *) usage ;;
    esac
done
if { [ "$action" = install ] && [ "$remove_settings" = 1 ]; } ||
   { [ "$action" = uninstall ] && [ "$autostart" = 1 ]; }; then
    usage
fi

data="${XDG_DATA_HOME:-$HOME/.local/share}"
config="${XDG_CONFIG_HOME:-$HOME/.config}"
folder="$data/dorimo"
launcher="$HOME/.local/bin/dorimo"
entry="$data/applications/dorimo.desktop"
icon="$data/icons/hicolor/32x32/apps/dorimo.png"
autostart_entry="$config/autostart/dorimo.desktop"
prefix="$data/wineprefixes/dorimo"

if [ "$action" = uninstall ]; then
    # The program's own prefix goes too; its Wine processes end first.
    if [ -d "$prefix" ]; then
        WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
        rm -rf "$prefix"
        rmdir "$data/wineprefixes" 2>/dev/null || true
    fi
    rm -f "$launcher" "$entry" "$icon" "$autostart_entry" "$folder/dorimo.exe"
    if [ "$remove_settings" = 1 ]; then
        rm -f "$folder/dorimo.ini"
    fi
    rmdir "$folder" 2>/dev/null || true
    if [ -e "$folder/dorimo.ini" ]; then
        echo "dorimo is uninstalled; its settings stay in $folder/dorimo.ini (--remove-settings removes them)"
    else
        echo "dorimo is uninstalled"
    fi
    exit 0
fi

if [ -n "${SUDO_USER:-}" ]; then
    echo "note: this installs for root; to install for $SUDO_USER, run it as $SUDO_USER without sudo" >&2
fi

# What the program needs to run; installing it needs root.
missing=()
command -v wine >/dev/null || missing+=("Wine")
[ -f /usr/share/wine/fonts/marlett.ttf ] || missing+=("Wine's fonts")
locale -a 2>/dev/null | grep -qix 'ja_JP.utf8' || missing+=("the ja_JP.UTF-8 locale")
if command -v fc-list >/dev/null && [ -z "$(fc-list :lang=ja)" ]; then missing+=("Japanese fonts"); fi
if [ ${#missing[@]} -gt 0 ]; then
    IFS=, ; echo "missing: ${missing[*]}" >&2; unset IFS
    cat >&2 <<'MSG'
Installing them needs root; on Debian 12 run:
    sudo dpkg --add-architecture i386 && sudo apt-get update
    sudo apt-get install wine wine64 wine32:i386 fonts-wine fonts-ipafont locales
    sudo sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen && sudo locale-gen
then run this script again as yourself.
MSG
    exit 1
fi

# The desktop entry names the launcher by its full path; these characters
# would need an escaping the entry's readers do not all agree on.
case "$launcher" in
*[\"\`\$\\%]* | *$'\n'*)
    echo "cannot install: the home folder's path $HOME holds one of \" \` \$ \\ %" >&2
    exit 1 ;;
esac

if ! command -v i686-w64-mingw32-g++-win32 >/dev/null || ! command -v cmake >/dev/null; then
    echo "building the release needs cmake and g++-mingw-w64-i686 (as root: bash scripts/setup.sh)" >&2
    exit 1
fi
bash scripts/package.sh --release-only >/dev/null
version=$(sed -n 's/^#define DORIMO_VERSION_TEXT "\(.*\)"$/\1/p' build/release/app/version.h)
zip="dist/dorimo-$version.zip"

# The program: the zip's own dorimo.exe, so that what runs is what is released.
mkdir -p "$folder" "$(dirname "$launcher")" "$(dirname "$entry")" "$(dirname "$icon")"
python3 - "$zip" "$folder/dorimo.exe" <<'PY'
import sys, zipfile
with zipfile.ZipFile(sys.argv[1]) as z, open(sys.argv[2], "wb") as f:
    f.write(z.read("dorimo.exe"))
PY

cat > "$launcher" <<EOF
#!/bin/bash
# Starts dorimo $version under Wine, installed by dorimo's install-linux.sh.
prefix=$(printf '%q' "$prefix")
export WINEPREFIX="\${DORIMO_WINEPREFIX:-\$prefix}"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8
export WINEDEBUG="\${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
if [ ! -f "\$WINEPREFIX/system.reg" ]; then  # the first start makes the prefix
    mkdir -p "\$(dirname "\$WINEPREFIX")"
    wine wineboot -i >/dev/null 2>&1
    wineserver -w
fi
# The title bar's buttons are drawn with Wine's symbol font, which this Wine
# looks for in the prefix rather than where Debian's fonts-wine puts it.
marlett=/usr/share/wine/fonts/marlett.ttf fonts="\$WINEPREFIX/drive_c/windows/Fonts"
if [ -f "\$marlett" ] && [ -d "\$fonts" ] && [ ! -e "\$fonts/marlett.ttf" ]; then
    cp "\$marlett" "\$fonts/"
fi
cd $(printf '%q' "$folder") || exit 1
exec wine dorimo.exe
EOF
chmod 755 "$launcher"

python3 scripts/ico2png.py app/res/MAINICON.ico "$icon"

cat > "$entry" <<EOF
[Desktop Entry]
Type=Application
Name=Dorimo
Name[ja]=ドリモ玉
GenericName=Scheduler
GenericName[ja]=スケジューラー
Comment=Opens programs and documents at set times on chosen weekdays
Comment[ja]=決まった曜日の決まった時刻にプログラムや文書を開きます
Exec="$launcher"
Icon=dorimo
Terminal=false
Categories=Utility;
StartupWMClass=dorimo.exe
EOF

if [ "$autostart" = 1 ]; then
    mkdir -p "$(dirname "$autostart_entry")"
    cp "$entry" "$autostart_entry"
fi

echo "dorimo $version is installed in $folder"
echo "start it from the desktop's menu or with $launcher"
[ "$autostart" = 1 ] && echo "it starts by itself at login ($autostart_entry)"
case ":$PATH:" in
*":$(dirname "$launcher"):"*) ;;
*) echo "($(dirname "$launcher") is not on PATH: the command dorimo needs its full path)" ;;
esac
