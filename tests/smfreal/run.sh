#!/usr/bin/env bash
# The real-file test: run.sh BUILD EXE. Takes the Standard MIDI Files of
# Debian's mma package (installed when missing), lets EXE import, export and
# import them again under Wine, then has independent readers check the
# exports: midicsv must convert each without error, and timidity (with the
# freepats instruments) must render each format-1 export to a WAV of about
# the length of the original's.
set -uo pipefail
build="$1"; exe="$2"
root="$(cd "$(dirname "$0")/../.." && pwd)"

need=(mma midicsv timidity freepats)
for p in "${need[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    echo "smfreal: $p is missing; installing"
    bash "$root/scripts/install-deps.sh" || { echo "smfreal: FAILED to install ${need[*]}"; exit 1; }
    break
  fi
done

out="$build/smfreal-out"
rm -rf "$out" && mkdir -p "$out"
mapfile -t files < <(dpkg -L mma | grep -iE '\.midi?$' | sort)
echo "smfreal: ${#files[@]} files of mma"
[ "${#files[@]}" -ge 50 ] || { echo "smfreal: FAILED: too few files in mma"; exit 1; }
for f in "${files[@]}"; do echo "Z:${f//\//\\}"; done > "$out/list.txt"

export SMFREAL_LIST="Z:${out//\//\\}\\list.txt"
export SMFREAL_OUT="Z:${out//\//\\}"
ZK_GTEST=1 bash "$root/tests/wine/run.sh" "$build" "$exe" || { echo "smfreal: FAILED: the Windows side"; exit 1; }

fail=0
count=0
for f in "$out"/*.f[01].mid; do
  count=$((count + 1))
  if ! err=$(midicsv "$f" 2>&1 >/dev/null) || [ -n "$err" ]; then
    echo "smfreal: FAILED: midicsv on $(basename "$f"): $err"
    fail=1
  fi
done
echo "smfreal: midicsv read $count exports"
[ "$count" -eq $((2 * ${#files[@]})) ] || { echo "smfreal: FAILED: $count exports for ${#files[@]} files"; fail=1; }

# Render the originals and the format-1 exports, several at once.
render() {
  timidity -c /etc/timidity/freepats.cfg -s 11025 -OwM -o "${1%.mid}.wav" "$1" >/dev/null 2>&1 ||
    echo "smfreal: FAILED: timidity on $(basename "$1")"
}
export -f render
ls "$out"/*.orig.mid "$out"/*.f1.mid | xargs -P "$(nproc)" -I{} bash -c 'render "$@"' _ {} > "$out/render.log"
if [ -s "$out/render.log" ]; then cat "$out/render.log"; fail=1; fi

python3 - "$out" <<'PY' || fail=1
import glob, os, struct, subprocess, sys
out = sys.argv[1]

def seconds(path):
    with open(path, 'rb') as f:
        data = f.read()
    if data[:4] != b'RIFF' or data[8:12] != b'WAVE':
        raise ValueError('not a WAV')
    pos, rate, align, size = 12, None, None, None
    while pos + 8 <= len(data):
        tag, n = data[pos:pos + 4], struct.unpack('<I', data[pos + 4:pos + 8])[0]
        if tag == b'fmt ':
            rate = struct.unpack('<I', data[pos + 12:pos + 16])[0]
            align = struct.unpack('<H', data[pos + 20:pos + 22])[0]
        elif tag == b'data':
            size = min(n, len(data) - pos - 8)
            break
        pos += 8 + n + (n & 1)
    return size / align / rate

def slowdown(midi):
    # A song holds at most 240 beats per minute: a faster file plays slower
    # after the round, by at most this factor.
    csv = subprocess.run(['midicsv', midi], capture_output=True, text=True).stdout
    micros = [int(l.split(',')[3]) for l in csv.splitlines() if l.split(',')[2:3] == [' Tempo']]
    fastest = 60e6 / min(micros) if micros else 120
    return max(1.0, fastest / 240)

bad = 0
origs = sorted(glob.glob(os.path.join(out, '*.orig.wav')))
for o in origs:
    e = o[:-len('.orig.wav')] + '.f1.wav'
    try:
        a, b = seconds(o), seconds(e)
    except Exception as x:
        print('smfreal: FAILED: %s: %s' % (os.path.basename(o), x)); bad += 1; continue
    # The song ends every note before the next strike of its key where the
    # file let it ring, which shortens a release tail: 1.5 s or 5 % of
    # play is allowed either way.
    tol = max(1.5, 0.05 * a)
    k = slowdown(o[:-len('.wav')] + '.mid')
    if not (a - tol <= b <= a * k + tol):
        print('smfreal: FAILED: %s lasts %.2f s, its export %.2f s' % (os.path.basename(o), a, b)); bad += 1
print('smfreal: compared %d renderings' % len(origs))
sys.exit(1 if bad or not origs else 0)
PY

[ "$fail" -eq 0 ] && echo "smfreal: all passed"
exit "$fail"
