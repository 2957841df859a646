#!/bin/bash
# Installs what is missing, builds, and runs every test. Three lines of work
# go side by side once the build is done:
# - natively: the unit tests, the same under the sanitizers, a short fuzzing
#   run and the workflow's lint;
# - the release package and the test bundle built twice (the same bytes both
#   times), then the Linux install;
# - under Wine: the unit tests, the end-to-end tests of the real program in
#   shards, the pass at 144 pixels per inch and a two-minute soak run, each
#   in a prefix and on a display of its own.
# Each part's output goes to build/test-logs/<part>.log and is shown when the
# part fails; at the end, the time each part took and one line with the test
# cases of every part: "N passed, M failed" (", K skipped" where some were).
# The unit tests count their cases, each run under Wine its runner's
# (run-tests.cmd); each shell test (the fuzzing run, the release built twice,
# the Linux install, the workflow's lint) counts as one.
set -euo pipefail
cd "$(dirname "$0")/.."
start=$SECONDS

# count_line LOGS RESULT: the line with the cases of each part that ran,
# from the parts' logs and their list (LOGS/times), where RESULT is the whole
# run's (0: every line of work went through). The cases are GoogleTest's
# closing lines (ctest -V puts "N: " before them), the runner's last line, or
# one case for a shell test. A part that failed with no failed case counted
# (a crash, a time-out) counts one failure.
count_line() {
    local logs=$1 rc=$2 passed failed skipped
    read -r passed failed skipped < <(
        while read -r name seconds result; do
            case $name in
                native-tests | sanitizers)
                    sed -nE 's/^([0-9]+: )?\[  (PASSED|FAILED|SKIPPED) +\] ([0-9]+) tests?[.,].*/\2 \3/p' "$logs/$name.log" ;;
                windows-tests)
                    sed -nE 's/^[0-9]+: ([0-9]+) passed, ([0-9]+) failed, ([0-9]+) skipped\r?$/PASSED \1\nFAILED \2\nSKIPPED \3/p' \
                        "$logs/$name.log" ;;
                *) echo "PASSED $((result == 0))" ;;
            esac | sed "s/^/$name /"
            echo "$name ENDED $result"
        done <"$logs/times" | awk '
            $2 == "PASSED" { p += $3 } $2 == "SKIPPED" { s += $3 } $2 == "FAILED" { f += $3; failed[$1] += $3 }
            $2 == "ENDED" && $3 != 0 && !failed[$1] { f++ }
            END { print p + 0, f + 0, s + 0 }')
    # A line of work that failed outside its parts (the prefix not made, a
    # line killed) has no case counted: it counts one failure, so that the
    # count never says 0 failed of a run that failed.
    [ "$rc" = 0 ] || [ "$failed" != 0 ] || failed=1
    echo "$passed passed, $failed failed$([ "$skipped" = 0 ] || echo ", $skipped skipped")"
}

# test.sh --count LOGS RESULT: only the count line, of a logs folder made
# before (the count line's own test).
if [ "${1:-}" = "--count" ]; then
    count_line "$2" "$3"
    exit
fi

bash scripts/setup.sh
bash scripts/build.sh --tests
built=$((SECONDS - start))

logs=build/test-logs
rm -rf "$logs"
mkdir -p "$logs"

# part NAME COMMAND...: the command's output into the part's log, its time
# and result into the list.
part() {
    local name=$1 t0=$SECONDS rc=0
    shift
    echo "-- $name"
    "$@" >"$logs/$name.log" 2>&1 || rc=$?
    echo "$name $((SECONDS - t0)) $rc" >>"$logs/times"
    [ "$rc" = 0 ] || { echo "== $name FAILED:"; tail -n 200 "$logs/$name.log"; }
    return "$rc"
}

native() {
    part native-tests ctest --test-dir build/host --no-tests=error -V &&
    part sanitizers bash scripts/sanitize.sh -V &&
    part fuzzing bash scripts/fuzz.sh "${DORIMO_FUZZ_SECONDS:-15}" &&
    part workflow-lint bash scripts/lint-workflows.sh
}

release() {
    part release-twice bash tests/release/reproducible.sh &&
    part linux-install bash tests/release/install_test.sh
}

windows() {
    source scripts/wine-env.sh
    wine_prefix_ready
    wineserver -w  # the prefix settled before the runs copy it
    start_xvfb
    part windows-tests ctest --test-dir build/win --no-tests=error -j4 -V
}

native & native_pid=$!
release & release_pid=$!
windows & windows_pid=$!
rc=0
wait "$native_pid" || rc=1
wait "$release_pid" || rc=1
wait "$windows_pid" || rc=1

echo "== times (s): set-up and build $built"
sort -k2 -n -r "$logs/times" | while read -r name seconds result; do
    printf '   %-16s %4d%s\n' "$name" "$seconds" "$([ "$result" = 0 ] || echo '  FAILED')"
done
grep -h '^ *[0-9]*/[0-9]* Test *#' "$logs/windows-tests.log" 2>/dev/null | sed 's/^ */   under Wine: /' || true
echo "   whole run        $((SECONDS - start))"

line=$(count_line "$logs" "$rc")
echo "$line"
case $line in *", 0 failed"*) ;; *) rc=1 ;; esac
exit "$rc"
