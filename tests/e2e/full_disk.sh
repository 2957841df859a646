#!/bin/bash
# Runs the full-drive tests of e2e_tests.exe on a real full drive: a 1 MiB
# tmpfs mounted here and mapped as a drive letter of a prefix and a display
# of the run's own (as own_prefix.sh makes them), named to the tests in
# DORIMO_FULL_DISK. Unmounted at the end.
#   full_disk.sh E2E_TESTS_EXE
# Exits 77 (skipped) where no tmpfs can be mounted (not root).
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
wine_prefix_copy fulldisk
start_xvfb
prefix=$WINEPREFIX
dir=$(mktemp -d)
link=
cleanup() {
    stop_wine_and_xvfb
    [ -n "$link" ] && rm -f "$link"
    umount "$dir" 2>/dev/null
    rmdir "$dir"
}
trap cleanup EXIT
if ! mount -t tmpfs -o size=1m tmpfs "$dir" 2>/dev/null; then
    echo "full_disk.sh: SKIPPED: a tmpfs cannot be mounted here (the full-drive tests need root)"
    exit 77
fi
for letter in q r s t u v w x; do
    if [ ! -e "$prefix/dosdevices/$letter:" ] && [ ! -L "$prefix/dosdevices/$letter:" ]; then
        link="$prefix/dosdevices/$letter:"
        ln -s "$dir" "$link"
        break
    fi
done
[ -n "$link" ] || { echo "full_disk.sh: no free drive letter in $prefix/dosdevices" >&2; exit 1; }
DORIMO_FULL_DISK="${letter^^}:" wine "$1" --gtest_filter='FullDisk.*'
