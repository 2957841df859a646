#!/bin/bash
# Installs what is missing, builds, and runs every test: natively (also under
# the sanitizers), a short fuzzing run, then the same unit tests, the
# end-to-end tests of the real program and a two-minute soak run under Wine;
# then the release package built twice (the same bytes both times) and the
# Linux install.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh --tests

echo "== native tests"
ctest --test-dir build/host --output-on-failure

echo "== native tests under AddressSanitizer and UndefinedBehaviorSanitizer"
bash scripts/sanitize.sh

echo "== fuzzing the profile functions and the integer parser"
bash scripts/fuzz.sh "${DORIMO_FUZZ_SECONDS:-15}"

echo "== Windows tests under Wine"
source scripts/wine-env.sh
wine_prefix_ready
start_xvfb
ctest --test-dir build/win --output-on-failure

echo "== release package, built twice: the same bytes"
bash tests/release/reproducible.sh

echo "== Linux install: install, start, close, uninstall"
bash tests/release/install_test.sh
