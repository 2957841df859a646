#!/bin/bash
# Prints the program's figures beside its floor (the same window from the same
# layout table and resources, and nothing else: bench/floor.cpp) and Wine's
# notepad.exe: start-up, memory, idle CPU, executable size and the log's cost
# per line. Figures only; it never fails on speed. --quick: 3 runs and 10 s of
# idle, for trying it out.
#   scripts/bench.sh [--quick]
set -euo pipefail
cd "$(dirname "$0")/.."

runs=11 idle=60 lines=20000
if [ "${1:-}" = "--quick" ]; then runs=3 idle=10 lines=${BENCH_LINES:-20000}; fi

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
echo "dorimo.exe, its floor and $notepad under $(wine --version), $(nproc) cores, $runs runs"
wine "$out/bench.exe" "$(winepath -w "$out/dorimo.exe")" "$(winepath -w "$out/dorimo_floor.exe")" "$notepad" \
    "$runs" "$idle" "$lines"
