#!/usr/bin/env bash
# Builds everything and runs every test under Wine. Installs what it needs.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ZK_BUILD_DIR:-$root/build}"
bash "$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-mingw-i686.cmake" >/dev/null
cmake --build "$build" -j"$(nproc)"
cd "$build"
ctest --output-on-failure -j"$(nproc)" "$@"
