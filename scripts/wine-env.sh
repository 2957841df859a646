# Sourced by the scripts that run Windows programs: a Wine prefix of the
# project's own with the Japanese locale (ANSI code page 932), and, when asked
# for, an Xvfb display that is stopped again when the calling script ends.

export WINEPREFIX="${DORIMO_WINEPREFIX:-${XDG_CACHE_HOME:-${HOME:-/root}/.cache}/dorimo/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
export LANG=ja_JP.UTF-8 LC_ALL=ja_JP.UTF-8

wine_prefix_ready() {
    if [ ! -f "$WINEPREFIX/system.reg" ]; then
        echo "creating the Wine prefix $WINEPREFIX (once, about 20 s)"
        mkdir -p "$(dirname "$WINEPREFIX")"
        wine wineboot -i >/dev/null 2>&1 || true
        wineserver -w
    fi
    # The title bar's buttons are drawn with Wine's symbol font, which this
    # Wine does not find where Debian's fonts-wine puts it: it goes into the
    # prefix's font folder.
    local marlett=/usr/share/wine/fonts/marlett.ttf fonts="$WINEPREFIX/drive_c/windows/Fonts"
    if [ -f "$marlett" ] && [ -d "$fonts" ] && [ ! -e "$fonts/marlett.ttf" ]; then
        cp "$marlett" "$fonts/"
    fi
}

# Starts Xvfb on a free display number and exports DISPLAY.
start_xvfb() {
    local n=90
    while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$n" ] && break
        sleep 0.1
    done
    export DISPLAY=":$n"
    trap stop_wine_and_xvfb EXIT
}

stop_wine_and_xvfb() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}
