#!/bin/bash
# Installs what is missing, builds, and runs every test: natively, then the
# same tests and the end-to-end tests of the real program under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/setup.sh
bash scripts/build.sh --tests

echo "== native tests"
ctest --test-dir build/host --output-on-failure

echo "== Windows tests under Wine"
source scripts/wine-env.sh
wine_prefix_ready
start_xvfb
ctest --test-dir build/win --output-on-failure
