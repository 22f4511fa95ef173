#!/usr/bin/env bash
# Builds Tumbrix with every test suite (installing missing packages first)
# and runs them all. With --sanitize, builds and runs them under
# AddressSanitizer and UndefinedBehaviorSanitizer instead; with
# --thread-sanitize, builds and runs the sound adapter's tests, the code that
# shares data with the audio thread, under ThreadSanitizer.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"

build="$root/build/tests"
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
targets=(all)
tests=()
case "${1:-}" in
    --sanitize)
        build="$root/build/sanitize"
        options=(-DCMAKE_BUILD_TYPE=Debug -DTUMBRIX_SANITIZE=ON)
        export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
        export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan-system.supp:print_suppressions=0"
        export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
        # The real desktops test the window systems, not memory: the same
        # game code runs under the sanitizers in the offscreen tests.
        tests=(-LE display)
        ;;
    --thread-sanitize)
        build="$root/build/thread-sanitize"
        options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUMBRIX_THREAD_SANITIZE=ON)
        targets=(audio_tests)
        tests=(-R '^audio_tests$')
        export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1"
        ;;
esac
# Our own builds treat every warning as an error.
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" -DTUMBRIX_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target "${targets[@]}"
cd "$build"
ctest --output-on-failure -j "$(nproc)" "${tests[@]}"
