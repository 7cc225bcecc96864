#!/usr/bin/env bash
# Builds both targets and runs every test under Wine. Installs what it needs.
# Both builds compile on any machine; the x64 build's tests always run (64-bit
# Wine), the i686 build's where this machine runs 32-bit code. ZK_TARGETS
# narrows the builds (e.g. ZK_TARGETS=x64). Arguments go to ctest.
set -euo pipefail
ZK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=platform.sh
. "$ZK_ROOT/scripts/platform.sh"
base="${ZK_BUILD_DIR:-$ZK_ROOT/build}"

bash "$ZK_ROOT/scripts/install-deps.sh"

targets="i686 x64"
[ -n "${ZK_TARGETS:-}" ] && targets="$ZK_TARGETS"
for t in $targets; do
  echo "test: building $t in $base/$t"
  cmake -S "$ZK_ROOT" -B "$base/$t" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(zk_toolchain_file "$t")" >/dev/null
  cmake --build "$base/$t" -j"$(nproc)"
done

runnable="$(zk_runnable_targets)"
tested=() failed=()
for t in $runnable; do
  echo "test: running the $t build's tests"
  if (cd "$base/$t" && ctest --output-on-failure -j"$(nproc)" "$@"); then tested+=("$t"); else failed+=("$t"); fi
done

echo
zk_can_run_i386 || echo "test: this machine cannot run 32-bit code; the i686 build was built, not tested"
[ ${#tested[@]} -eq 0 ] || echo "test: tests passed on the build(s): ${tested[*]}"
[ ${#failed[@]} -eq 0 ] || { echo "test: tests FAILED on the build(s): ${failed[*]}"; exit 1; }
[ ${#tested[@]} -gt 0 ] || { echo "test: no build was tested"; exit 1; }
