#!/bin/bash
# Builds the release and writes dist/dorimo-<version>.zip (dorimo.exe and
# readme.txt) and its SHA-256 checksum, dist/dorimo-<version>.zip.sha256;
# and the test bundle for Windows, dist/dorimo-<version>-tests.zip (the
# runner run-tests.cmd, the program and every Windows test program, from the
# build of scripts/build.sh --tests) with its .sha256.
# The version is the CMake project's. Two builds of the same sources give the
# same bytes, wherever and whenever they are made: the zip's entries are
# dated by the last commit (or SOURCE_DATE_EPOCH when it is set).
# --release-only: the release alone, without the test bundle.
#   scripts/package.sh [--release-only]
set -euo pipefail
cd "$(dirname "$0")/.."

out=build/release
cmake -S . -B "$out" --no-warn-unused-cli -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-i686.cmake -DCMAKE_BUILD_TYPE=Release \
    -DDORIMO_TESTS=OFF >/dev/null
cmake --build "$out" -j2 --target dorimo >/dev/null
version=$(sed -n 's/^#define DORIMO_VERSION_TEXT "\(.*\)"$/\1/p' "$out/app/version.h")
if [ -z "${SOURCE_DATE_EPOCH:-}" ] && git rev-parse --git-dir >/dev/null 2>&1; then
    SOURCE_DATE_EPOCH=$(git log -1 --format=%ct)
    export SOURCE_DATE_EPOCH
fi
python3 scripts/make_package.py "$version" "$out/dorimo.exe" package/readme.txt dist
if [ "${1:-}" = --release-only ]; then exit 0; fi
bash scripts/build.sh --windows-tests >/dev/null
python3 scripts/make_package.py --tests "$version" build/win tests/run-tests.cmd dist
