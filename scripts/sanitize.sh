#!/bin/bash
# Builds the native tests with AddressSanitizer and UndefinedBehaviorSanitizer
# (build/asan, Debug: the quickest to build and run from scratch) and runs
# them. Any failing test or sanitizer report (each one ends its test) makes
# the script fail. Arguments go to ctest in place of --output-on-failure (-V:
# every test's output).
set -euo pipefail
cd "$(dirname "$0")/.."

export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"

cmake -S . -B build/asan -DCMAKE_BUILD_TYPE=Debug -DDORIMO_SANITIZE=ON >/dev/null
cmake --build build/asan -j2
ctest --test-dir build/asan --no-tests=error "${@:---output-on-failure}"
