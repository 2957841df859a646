#!/bin/bash
# Runs a Windows program under Wine on a screen of another resolution, in a
# prefix and on a display of its own:
#   at_dpi.sh DPI PROGRAM [ARGUMENTS]
set -euo pipefail
exec bash "$(dirname "$0")/own_prefix.sh" "$1dpi" "$@"
