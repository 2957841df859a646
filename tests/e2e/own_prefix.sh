#!/bin/bash
# Runs a Windows program under Wine in a prefix and on an Xvfb display of its
# own, so that several such runs can go side by side:
#   own_prefix.sh NAME DPI PROGRAM [ARGUMENTS]
# The prefix "<prefix>-NAME" is made anew each time (wine_prefix_copy). With a
# DPI other than 0 the screen has that resolution (LogPixels); with 0 it has
# the prefix's own, 96. The program learns it from DORIMO_TEST_DPI.
# DORIMO_TEST_LANG, when set, is the locale in place of Japanese (and so
# another ANSI code page). DORIMO_TIME_LIMIT, when set, ends the run after so
# many seconds. The test command runs the runner so:
#   own_prefix.sh e2e0 0 cmd /c run-tests.cmd e2e0   (in build/win)
set -euo pipefail
name=$1 dpi=$2
shift 2
source "$(dirname "$0")/../../scripts/wine-env.sh"
if [ -n "${DORIMO_TEST_LANG:-}" ]; then export LANG=$DORIMO_TEST_LANG LC_ALL=$DORIMO_TEST_LANG; fi
wine_prefix_copy "$name"
start_xvfb  # stops this prefix's server and the display when the script ends

if [ "$dpi" != 0 ]; then
    # Wine takes the resolution when its server starts: set it, then start anew.
    wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null
    wineserver -k >/dev/null 2>&1 || true
fi
if [ "$dpi" = 0 ]; then export DORIMO_TEST_DPI=96; else export DORIMO_TEST_DPI=$dpi; fi
# In another locale the prefix's first program may start Wine's own update of
# the prefix, which can end the desktop again: let that settle first, or the
# desktop is started anew by the test program's first window and holds the
# part's log (its standard output) until the prefix ends.
if [ -n "${DORIMO_TEST_LANG:-}" ]; then
    wine cmd /c exit >/dev/null 2>&1 || true
    wineserver -w
fi
start_desktop
wine_limited "$@"
