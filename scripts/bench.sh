#!/usr/bin/env bash
# Builds and runs the benchmarks under Wine (after scripts/test.sh has set up
# the build folders): the engine's builder throughput and note timing (bare
# and from the main program), and the Standard MIDI File filter's import and
# export speed, the recording's conversion and the step editor's
# operations. Runs the i686 build
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
cmake --build "$build" -j"$(nproc)" --target engine_bench mainplay_bench timerchain_bench
bash tests/wine/setup.sh "$build" >/dev/null
trap 'bash tests/wine/cleanup.sh "$build" >/dev/null' EXIT
# The floor under the timer engine: a bare chain of one-shot timers on the
# system's winmm, then on the virtual device; then both engines' note timing.
# Each is five runs, reported by the median of their medians and 99th
# percentiles.
ZK_PREFIX=engine bash tests/wine/run.sh "$build" "$build/vmidi/timerchain_bench.exe" 5
ZK_VIRTUAL_WINMM=1 ZK_PREFIX=engine VMIDI_CLOCKRATE=1 \
  bash tests/wine/run.sh "$build" "$build/vmidi/timerchain_bench.exe" 5
ZK_VIRTUAL_WINMM=1 ZK_PREFIX=engine VMIDI_CLOCKRATE=1 \
  bash tests/wine/run.sh "$build" "$build/vmidi/engine_bench.exe" 5
# The same timing when the main program plays (monitors on, an editor per
# track), beside the bare host in the same run.
ZK_VIRTUAL_WINMM=1 ZK_PREFIX=engine VMIDI_CLOCKRATE=1 \
  bash tests/wine/run.sh "$build" "$build/vmidi/mainplay_bench.exe"
# The Standard MIDI File filter: the import of 32 tracks of 15,000 notes and
# midicsv on the same file, median of five runs each, and the ratio of the
# two (the goal: at most 0.5); then a 5 MB file's import and exports.
cmake --build "$build" -j"$(nproc)" --target smf_bench >/dev/null
smf_out="$(bash tests/wine/run.sh "$build" "$build/tests/smf_bench.exe" "Z:${build//\//\\}\\smf_bench.mid")"
printf '%s\n' "$smf_out"
import_s="$(printf '%s\n' "$smf_out" | tr -d '\r' | sed -n 's/^smf_import_median_s=//p')"
if command -v midicsv >/dev/null && [ -n "$import_s" ]; then
  csv_ns=()
  for _ in 1 2 3 4 5; do
    t0=$(date +%s%N); midicsv "$build/smf_bench.mid" >/dev/null; t1=$(date +%s%N)
    csv_ns+=("$((t1 - t0))")
  done
  python3 - "$import_s" "${csv_ns[@]}" <<'PY'
import statistics, sys
imp = float(sys.argv[1])
csv = statistics.median(int(n) for n in sys.argv[2:]) / 1e9
print(f"midicsv on the same file: median of 5 {csv:.4f} s; import {imp:.4f} s; "
      f"import / midicsv: {imp / csv:.2f}")
PY
fi
# The recording's conversion of a full record buffer into the record tracks.
cmake --build "$build" -j"$(nproc)" --target recconvert_bench >/dev/null
bash tests/wine/run.sh "$build" "$build/tests/recconvert_bench.exe"
# The step editor's operations on a full track of 16,371 events.
cmake --build "$build" -j"$(nproc)" --target stepedit_bench >/dev/null
bash tests/wine/run.sh "$build" "$build/tests/stepedit_bench.exe"
echo "bench: ran on the $target build"
