#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer under AddressSanitizer and
# UndefinedBehaviorSanitizer (installing missing packages first) and runs
# each for 60 seconds, or the seconds given, from the committed seed corpus.
# Any finding (a crash, a leak, undefined behaviour, a broken rule) fails the
# run and leaves the input that caused it in build/fuzz/findings/.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
seconds="${1:-60}"
build="$root/build/fuzz"
cmake -S "$root/tests/fuzz" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DCMAKE_CXX_COMPILER=clang++-14 -DTUMBRIX_WERROR=ON >/dev/null
cmake --build "$build" -j 2
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
mkdir -p "$build/findings"
for target in score_table leading_number; do
    # New inputs go to the build's own corpus; the committed seeds stay as they are.
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    log="$build/$target.log"
    if ! "$build/${target}_fuzz" -max_total_time="$seconds" -max_len=8192 -timeout=10 \
        -print_final_stats=1 -artifact_prefix="$build/findings/$target-" \
        "$corpus" "$root/tests/fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 40 "$log"
        echo "fuzz: $target found a fault; the input is in $build/findings/" >&2
        exit 1
    fi
    executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    echo "fuzz: $target ran ${executions:-?} inputs in ${seconds} s without a finding"
done
