#!/bin/bash
# Lints the GitHub workflows (.github/workflows/*.yml) against the workflow
# schema with action-validator (npm package @action-validator/cli, which
# scripts/setup.sh installs). It never runs them. The linter is first shown a
# broken workflow, which it must refuse, so that a linter that passes
# everything cannot pass for a clean lint.
set -euo pipefail
cd "$(dirname "$0")/.."

broken=$(mktemp --suffix=.yml)
trap 'rm -f "$broken"' EXIT
sed 's/^    runs-on:/    runs_on:/' .github/workflows/windows.yml >"$broken"
if action-validator "$broken" >/dev/null 2>&1; then
    echo "lint-workflows: action-validator accepted a workflow with a misspelt key" >&2
    exit 1
fi
for workflow in .github/workflows/*.yml; do
    action-validator "$workflow"
    echo "lint-workflows: $workflow is valid"
done
