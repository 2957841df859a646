#!/bin/bash
# Builds the libFuzzer targets (tests/fuzz) in build/fuzz, replays the inputs
# kept in tests/fuzz/regressions/<target>/ and fuzzes each target for the
# given seconds (default 20), both targets at once. A crash, hang, sanitizer
# report or failed check makes the script fail; the input that caused it is
# left in build/fuzz/artifacts/<target>/.
#   scripts/fuzz.sh [seconds]
set -uo pipefail
cd "$(dirname "$0")/.."

seconds="${1:-20}"
if ! [[ "$seconds" =~ ^[1-9][0-9]*$ ]]; then
    echo "usage: scripts/fuzz.sh [seconds]" >&2
    exit 2
fi
targets=(int_parse profile)

# libFuzzer and the sanitizers' runtimes come apart from clang itself.
if ! command -v clang++ >/dev/null; then
    echo "fuzz: clang++ is missing (Debian package clang)" >&2
    exit 1
fi
probe=$(mktemp -d)
trap 'rm -rf "$probe"' EXIT
echo 'extern "C" int LLVMFuzzerTestOneInput(const char*, unsigned long) { return 0; }' > "$probe/p.cpp"
if ! clang++ -fsanitize=fuzzer,address,undefined "$probe/p.cpp" -o "$probe/p" 2>"$probe/err"; then
    cat "$probe/err" >&2
    echo "fuzz: clang cannot link libFuzzer with the sanitizers;" \
         "missing: libclang-rt-$(clang++ -dumpversion | cut -d. -f1)-dev" >&2
    exit 1
fi

cmake -S tests/fuzz -B build/fuzz -DCMAKE_CXX_COMPILER=clang++ >/dev/null || exit 1
cmake --build build/fuzz -j2 >/dev/null || { cmake --build build/fuzz -j1; exit 1; }

export UBSAN_OPTIONS="${UBSAN_OPTIONS:-print_stacktrace=1}"
# The profile target rewrites its file at every write: memory is quicker.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

# Replays the kept inputs, then fuzzes from the seeds and what earlier runs
# found (build/fuzz/corpus/<target>).
run_target() {
    local t=$1 bin=build/fuzz/${1}_fuzz log=build/fuzz/$1.log
    local kept
    mapfile -t kept < <(find "tests/fuzz/regressions/$t" -type f 2>/dev/null | sort)
    mkdir -p "build/fuzz/corpus/$t" "build/fuzz/artifacts/$t"
    : > "$log"
    if [ ${#kept[@]} -gt 0 ] && ! "$bin" "${kept[@]}" >>"$log" 2>&1; then
        echo "fuzz: $t: a kept regression input fails (see $log)"
        return 1
    fi
    if ! "$bin" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
            -artifact_prefix="build/fuzz/artifacts/$t/" \
            "build/fuzz/corpus/$t" "tests/fuzz/corpus/$t" >>"$log" 2>&1; then
        grep -E '^(==[0-9]+==ERROR|SUMMARY|[a-z_]+_fuzz:)|^[^ ]*(Test unit|artifact)' "$log" | head -20
        echo "fuzz: $t: FAILED (see $log; keep the input in tests/fuzz/regressions/$t/)"
        return 1
    fi
    echo "fuzz: $t: ${#kept[@]} kept inputs replayed;" \
         "$(grep -o 'Done [0-9]* runs in [0-9]* second(s)' "$log" | tail -1)"
}

pids=()
for t in "${targets[@]}"; do
    run_target "$t" &
    pids+=($!)
done
passed=0 failed=0
for pid in "${pids[@]}"; do
    if wait "$pid"; then passed=$((passed + 1)); else failed=$((failed + 1)); fi
done
echo "fuzz: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
