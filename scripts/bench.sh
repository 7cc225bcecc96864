#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine (after scripts/test.sh has set up
# the build folders): the engine's builder throughput and note timing (bare
# and from the main program), and the Standard MIDI File filter's import and
# export speed, and the recording's conversion. Runs the i686 build
# where this machine runs 32-bit code, the x64 build otherwise.
set -euo pipefail
ZK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
cd "$ZK_ROOT"
# shellcheck source=platform.sh
. scripts/platform.sh
target="$(zk_runnable_targets)"; target="${target%% *}"
[ -n "$target" ] || { echo "bench: none of the builds in ZK_TARGETS runs on this machine"; exit 1; }
build="$(realpath -m "${ZK_BUILD_DIR:-build}")/$target"
echo "bench: the $target build"
cmake --build "$build" -j"$(nproc)" --target engine_bench mainplay_bench
bash tests/wine/setup.sh "$build" >/dev/null
trap 'bash tests/wine/cleanup.sh "$build" >/dev/null' EXIT
ZK_VIRTUAL_WINMM=1 ZK_PREFIX=engine VMIDI_CLOCKRATE=1 \
  bash tests/wine/run.sh "$build" "$build/vmidi/engine_bench.exe"
# The same timing when the main program plays (monitors on, an editor per
# track), beside the bare host in the same run.
ZK_VIRTUAL_WINMM=1 ZK_PREFIX=engine VMIDI_CLOCKRATE=1 \
  bash tests/wine/run.sh "$build" "$build/vmidi/mainplay_bench.exe"
# The Standard MIDI File filter on a 5 MB file, and midicsv on the same file.
cmake --build "$build" -j"$(nproc)" --target smf_bench >/dev/null
bash tests/wine/run.sh "$build" "$build/tests/smf_bench.exe" "Z:${build//\//\\}\\smf_bench.mid"
if command -v midicsv >/dev/null; then
  TIMEFORMAT="midicsv on the same file: %R s"; time midicsv "$build/smf_bench.mid" >/dev/null
fi
# The recording's conversion of a full record buffer into the record tracks.
cmake --build "$build" -j"$(nproc)" --target recconvert_bench >/dev/null
bash tests/wine/run.sh "$build" "$build/tests/recconvert_bench.exe"
echo "bench: ran on the $target build"
