#!/bin/bash
# Builds the program for Windows (and, with --tests, every test natively and
# for Windows; with --windows-tests, every test for Windows only). The program
# lands at build/win/dorimo.exe, the Windows tests and their runner beside it.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build/win -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release >/dev/null
if [ "${1:-}" = "--tests" ]; then
    cmake -S . -B build/host -DCMAKE_BUILD_TYPE=Release >/dev/null
    cmake --build build/host -j2
    cmake --build build/win -j2
elif [ "${1:-}" = "--windows-tests" ]; then
    cmake --build build/win -j2
else
    cmake --build build/win -j2 --target dorimo
fi
