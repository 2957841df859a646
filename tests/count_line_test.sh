#!/bin/bash
# The test command's count line (scripts/test.sh --count) on logs folders
# made here: each row a list of parts with their results and the whole run's
# result, and the line it must give.
#   count_line_test.sh
set -uo pipefail
cd "$(dirname "$0")/.."
logs=$(mktemp -d)
trap 'rm -rf "$logs"' EXIT
# What the parts said: GoogleTest's closing lines natively, the runner's last
# line under Wine (each after ctest's "N: ").
printf '[  PASSED  ] 10 tests.\n' >"$logs/native-tests.log"
printf '4: [  PASSED  ] 10 tests.\n4: [  FAILED  ] 2 tests, listed below:\n' >"$logs/sanitizers.log"
printf '3: 7 passed, 0 failed, 2 skipped\r\n5: 1 passed, 0 failed, 0 skipped\r\n' >"$logs/windows-tests.log"

passed=0 failed=0
# row WHAT RESULT WANTED PART:RESULT...: the line for those parts, the whole
# run ending with RESULT.
row() {
    local what=$1 rc=$2 want=$3 line
    shift 3
    printf '%s\n' "$@" | sed 's/^\(.*\):\(.*\)$/\1 1 \2/' >"$logs/times"
    line=$(bash scripts/test.sh --count "$logs" "$rc")
    if [ "$line" = "$want" ]; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAILED: $what: \"$line\", wanted \"$want\""
    fi
}
row "every part passed" 0 "19 passed, 0 failed, 2 skipped" native-tests:0 windows-tests:0 fuzzing:0
row "failed cases" 1 "10 passed, 2 failed" sanitizers:8
row "parts that ended with no failed case: a crash under Wine, a shell test" 1 "18 passed, 2 failed, 2 skipped" \
    native-tests:0 windows-tests:8 fuzzing:1
row "a line of work failed outside its parts" 1 "18 passed, 1 failed, 2 skipped" native-tests:0 windows-tests:0

# In GoogleTest's words, so that the count line counts the rows as cases.
echo "[  PASSED  ] $passed tests."
[ "$failed" = 0 ] || { echo "[  FAILED  ] $failed tests, listed above"; exit 1; }
