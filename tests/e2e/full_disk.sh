#!/bin/bash
# Runs the runner's full-drive part (run-tests.cmd fulldisk, in the current
# folder) on a real full drive: a 1 MiB tmpfs mounted here and mapped as a
# drive letter of a prefix and a display of the run's own (as own_prefix.sh
# makes them), named to the tests in DORIMO_FULL_DISK. Unmounted at the end.
# Where no tmpfs can be mounted (not root) the runner names the part skipped.
#   full_disk.sh
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
wine_prefix_copy fulldisk
start_xvfb
prefix=$WINEPREFIX
dir=$(mktemp -d)
link=
mounted=
cleanup() {
    stop_wine_and_xvfb
    [ -n "$link" ] && rm -f "$link"
    [ -n "$mounted" ] && umount "$dir"
    rmdir "$dir"
}
trap cleanup EXIT
if mount -t tmpfs -o size=1m tmpfs "$dir" 2>/dev/null; then
    mounted=1
    for letter in q r s t u v w x; do
        if [ ! -e "$prefix/dosdevices/$letter:" ] && [ ! -L "$prefix/dosdevices/$letter:" ]; then
            link="$prefix/dosdevices/$letter:"
            ln -s "$dir" "$link"
            export DORIMO_FULL_DISK="${letter^^}:"
            break
        fi
    done
    [ -n "$link" ] || { echo "full_disk.sh: no free drive letter in $prefix/dosdevices" >&2; exit 1; }
else
    echo "full_disk.sh: a tmpfs cannot be mounted here (the full-drive tests need root)"
fi
export DORIMO_TEST_DPI=96
start_desktop
wine_limited cmd /c run-tests.cmd fulldisk
