#!/bin/bash
# Prints the program's figures beside its floor (the same window from the same
# layout table and resources, and nothing else: bench/floor.cpp) and Wine's
# notepad.exe: start-up, memory, idle CPU, executable size and the log's cost
# per line. Figures only; it never fails on speed. Start-up is timed in pairs
# of the program and its floor; the figure is the median of the pairs' ratios
# with its quartiles. --quick: 3 pairs and 10 s of idle, for trying it out;
# --start-up: 21 pairs and nothing else.
#   scripts/bench.sh [--quick | --start-up]
set -euo pipefail
cd "$(dirname "$0")/.."

pairs=21 idle=60 lines=20000
case "${1:-}" in
--quick) pairs=3 idle=10 lines=${BENCH_LINES:-20000} ;;
--start-up) idle=0 lines=0 ;;
esac

out=build/bench
cmake -S . -B "$out" -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null 2>&1
cmake --build "$out" -j2 --target dorimo dorimo_floor >/dev/null
i686-w64-mingw32-g++-win32 -std=c++17 -O2 -Wall -Wextra -finput-charset=UTF-8 -fexec-charset=CP932 -static -s \
    -o "$out/bench.exe" bench/bench.cpp -lpsapi -lgdi32

export DORIMO_WINEPREFIX="${DORIMO_WINEPREFIX:-$HOME/.cache/dorimo/wine-bench}"
source scripts/wine-env.sh
wine_prefix_ready
start_xvfb

notepad='C:\windows\notepad.exe'
[ -f "$WINEPREFIX/drive_c/windows/notepad.exe" ] || notepad='C:\windows\system32\notepad.exe'
echo "dorimo.exe, its floor and $notepad under $(wine --version), $(nproc) cores, $pairs pairs, load $(cut -d' ' -f1-3 /proc/loadavg)"
wine "$out/bench.exe" "$(winepath -w "$out/dorimo.exe")" "$(winepath -w "$out/dorimo_floor.exe")" "$notepad" \
    "$pairs" "$idle" "$lines"
echo "load at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
