#!/usr/bin/env bash
# Builds Tumbrix (installing missing packages first) and starts it.
set -euo pipefail
root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$root/build/release" -G Ninja -DCMAKE_BUILD_TYPE=Release \
    -DTUMBRIX_BUILD_TESTS=OFF >/dev/null
cmake --build "$root/build/release" --target tumbrix
exec "$root/build/release/bin/tumbrix"
