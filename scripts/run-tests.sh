#!/usr/bin/env bash
# Builds Tumbrix with every test suite (installing missing packages first)
# and runs them all. With --sanitize, builds and runs them under
# AddressSanitizer and UndefinedBehaviorSanitizer instead.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"

build="$root/build/tests"
# Our own builds treat every warning as an error.
options=(-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTUMBRIX_WERROR=ON)
if [ "${1:-}" = "--sanitize" ]; then
    build="$root/build/sanitize"
    options=(-DCMAKE_BUILD_TYPE=Debug -DTUMBRIX_SANITIZE=ON -DTUMBRIX_WERROR=ON)
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1"
    export LSAN_OPTIONS="suppressions=$root/tests/sanitizer/lsan-system.supp:print_suppressions=0"
    export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
fi
cmake -S "$root" -B "$build" -G Ninja "${options[@]}" >/dev/null
cmake --build "$build" -j "$(nproc)"
cd "$build"
ctest --output-on-failure -j "$(nproc)"
