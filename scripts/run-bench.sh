#!/usr/bin/env bash
# Builds Tumbrix optimised (installing missing packages first) and prints a
# table of its performance beside the old way, with how each figure was
# measured: tick pacing, CPU, paint time, start-up, memory, headless speed.
# Quiet machine, better figures. With --quick, a short run that only shows
# the benchmarks work.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
build="$root/build/bench"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DTUMBRIX_BUILD_TESTS=OFF \
    -DTUMBRIX_WERROR=ON >/dev/null
cmake --build "$build" -j "$(nproc)" --target tumbrix_bench
exec "$build/bin/tumbrix_bench" "$@"
