#!/usr/bin/env bash
# Runs one Windows test program under the shared prefix: run.sh BUILD EXE ARGS...
# The build's target picks 32-bit or 64-bit Wine. With ZK_WINVER set (win95,
# nt40, win2k, ...) the program runs in a prefix of its own that reports that
# Windows version; the shared prefix keeps Wine's default. ZK_PREFIX names a
# prefix of its own for a program that writes into the Windows folder.
# ZK_VIRTUAL_WINMM=1 loads the winmm.dll found beside the program (the
# virtual MIDI device) in place of the system's, and a MAPI32.DLL found there
# (the tests' simple MAPI) before the system's.
build="$1"; shift
# shellcheck source=env.sh
. "$(dirname "$0")/env.sh" "$build"
if [ "${ZK_VIRTUAL_WINMM:-}" = 1 ]; then
  export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winmm=n;mapi32=n,b"
fi
prefix_name="${ZK_PREFIX:-${ZK_WINVER:-}}"
if [ -n "$prefix_name" ]; then
  base="$WINEPREFIX"
  export WINEPREFIX="$ZK_WINE_DIR/prefix-$prefix_name"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.zk-ready" ]; then
      rm -rf "$WINEPREFIX"
      cp -a "$base" "$WINEPREFIX"
    fi
    # Its own server and system processes, started here with their output
    # away from the test's (the test runner would wait for them).
    wineserver -p >/dev/null 2>&1 </dev/null 9>&- &
    if [ ! -f "$WINEPREFIX/.zk-ready" ]; then
      if [ -n "${ZK_WINVER:-}" ]; then
        # The version Wine reports; winecfg -v leaves a 64-bit prefix alone.
        wine reg add 'HKCU\Software\Wine' /v Version /d "$ZK_WINVER" /f >/dev/null 2>&1 </dev/null 9>&-
      fi
      touch "$WINEPREFIX/.zk-ready"
    fi
    wineboot >/dev/null 2>&1 </dev/null 9>&-
  ) 9>"$ZK_WINE_DIR/prefix-$prefix_name.lock"
fi
if [ "${ZK_GTEST:-}" != 1 ]; then
  exec "$WINELOADER" "$@"
fi
# A test program that dies under Wine can still end with status 0: it passed
# only if it also reached its summary. Its output goes through a file, not a
# pipe, so that no process it leaves behind holds the test runner.
out="$(mktemp "${TMPDIR:-/tmp}/zk-test.XXXXXX")"
"$WINELOADER" "$@" >"$out" 2>&1 </dev/null
rc=$?
cat "$out"
if [ "$rc" -eq 0 ] && ! grep -q '^\[  PASSED  \]' "$out"; then
  echo "run: $(basename "$1") ended without its test summary (it crashed or was cut short)"
  rc=1
fi
rm -f "$out"
exit "$rc"
