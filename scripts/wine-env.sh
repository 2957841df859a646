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

# Makes "<prefix>-NAME" anew beside this prefix and makes it the prefix of
# the calling script: a copy of the registry that shares drive C:, so that
# runs in several such prefixes can go side by side.
wine_prefix_copy() {
    local base=$WINEPREFIX
    [ -f "$base/system.reg" ] || { echo "no Wine prefix at $base" >&2; return 1; }
    export WINEPREFIX="$base-$1"
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
    mkdir -p "$WINEPREFIX/dosdevices"
    cp "$base"/*.reg "$base/.update-timestamp" "$WINEPREFIX/"
    ln -s "$base/drive_c" "$WINEPREFIX/drive_c"
    ln -s ../drive_c "$WINEPREFIX/dosdevices/c:"
    ln -s / "$WINEPREFIX/dosdevices/z:"
}

# Starts Xvfb on a display number it finds free itself (so that several
# scripts may start one at once) and exports DISPLAY.
start_xvfb() {
    local number
    number=$(mktemp)
    Xvfb -displayfd 1 -screen 0 1280x1024x24 -nolisten tcp >"$number" 2>/dev/null &
    XVFB_PID=$!
    for _ in $(seq 300); do
        [ -s "$number" ] && break
        sleep 0.1
    done
    export DISPLAY=":$(head -n1 "$number")"
    rm -f "$number"
    trap stop_wine_and_xvfb EXIT
}

# Starts the prefix's desktop process now (asking for the desktop window
# starts it and waits for it). Started by a program's first window instead,
# it keeps that program's standard handles for as long as it runs, and a log
# file they were redirected to stays locked.
start_desktop() {
    wine rundll32.exe user32.dll,GetDesktopWindow >/dev/null 2>&1
}

# wine_limited ARGUMENTS: wine with the arguments, ended after
# DORIMO_TIME_LIMIT seconds where that is set (a test's time limit: see
# tests/CMakeLists.txt). The calling script's end then ends the prefix, with
# every program started in it.
wine_limited() {
    if [ -z "${DORIMO_TIME_LIMIT:-}" ]; then
        wine "$@"
        return
    fi
    local rc=0
    timeout -k 10 "$DORIMO_TIME_LIMIT" wine "$@" || rc=$?
    [ "$rc" != 124 ] || echo "$(basename "$0"): not done within its time limit of $DORIMO_TIME_LIMIT s: ended" >&2
    return "$rc"
}

stop_wine_and_xvfb() {
    wineserver -k >/dev/null 2>&1 || true
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
}
