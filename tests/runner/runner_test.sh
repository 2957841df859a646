#!/bin/bash
# The runner's own test: run-tests.cmd, as built beside the test programs
# (the current folder), run under Wine as the test command runs it, on a part
# whose program is a stand-in (stand_in.exe) that passes, fails, crashes,
# hangs past its time limit or runs no test, or whose log of an earlier run
# another program holds. Each row: the runner's last line and exit code. Ends
# with "N passed, M failed, 0 skipped", a row a case.
#   runner_test.sh   (in build/win)
set -uo pipefail
source "$(dirname "$0")/../../scripts/wine-env.sh"
wine_prefix_copy runner
start_xvfb
start_desktop

rm -rf runner-test
mkdir -p runner-test/logs
cp run-tests.cmd runner-test/
cp stand_in.exe runner-test/core_tests.exe
cd runner-test
for beside in dorimo.exe dorimo_seam.exe dorimo_floor.exe show_probe.exe settings_path_probe.exe marker_library.dll resolution_hook.dll; do
    : >"$beside"
done

passed=0 failed=0
# row WHAT LAST-LINE EXIT-CODE [NAME=VALUE...]: the runner's part "core" with
# the stand-in asked so.
row() {
    local what=$1 want=$2 want_rc=$3 out rc=0 last
    shift 3
    out=$(env "$@" wine cmd /c run-tests.cmd core 2>&1) || rc=$?
    last=$(printf '%s\n' "$out" | tr -d '\r' | tail -n 1)
    if [ "$last" = "$want" ] && [ "$rc" = "$want_rc" ]; then
        passed=$((passed + 1))
        echo "ok: $what: \"$last\", exit code $rc"
    else
        failed=$((failed + 1))
        echo "FAILED: $what: \"$last\", exit code $rc; wanted \"$want\", exit code $want_rc"
        printf '%s\n' "$out" | sed 's/^/    /'
    fi
}

row "a part that passes" "4 passed, 0 failed, 0 skipped" 0
row "a part with two failed cases" "2 passed, 2 failed, 0 skipped" 1 DORIMO_STAND_IN=fail
row "a part that crashes" "0 passed, 1 failed, 0 skipped" 1 DORIMO_STAND_IN=crash
row "a part that hangs past its time limit" "0 passed, 1 failed, 0 skipped" 1 DORIMO_STAND_IN=hang \
    DORIMO_TEST_TIME_LIMIT=5
row "a part that runs no test" "0 passed, 1 failed, 0 skipped" 1 GTEST_FILTER=None
# Another find ahead in PATH, as Git's Unix tools put one: it finds no text
# in a file and says so on its error output.
mkdir -p unix-tools
printf '@echo find: unknown predicate 1>&2\r\n@exit /b 1\r\n' >unix-tools/find.cmd
row "another find ahead in PATH" "4 passed, 0 failed, 0 skipped" 0 WINEPATH="$(winepath -w "$PWD/unix-tools")"

# The log of an earlier run, held by a program of that run still going: not
# taken for this run's.
printf '[  PASSED  ] 7 tests.\r\n' >logs/core.log
DORIMO_STAND_IN='hold logs\core.log' wine core_tests.exe --gtest_filter=StandIn.EndsWhenAsked >/dev/null 2>&1 &
holder=$!
for _ in $(seq 300); do [ -e logs/core.log.held ] && break; sleep 0.1; done
row "a log held from an earlier run" "0 passed, 1 failed, 0 skipped" 1
kill "$holder"

echo "$passed passed, $failed failed, 0 skipped"
[ "$failed" = 0 ]
