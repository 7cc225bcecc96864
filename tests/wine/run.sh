#!/usr/bin/env bash
# Runs one Windows test program under the shared prefix: run.sh BUILD EXE ARGS...
# With ZK_WINVER set (win95, nt40, win2k, ...) the program runs in a prefix of
# its own that reports that Windows version; the shared prefix keeps Wine's
# default.
build="$1"; shift
# shellcheck source=env.sh
. "$(dirname "$0")/env.sh" "$build"
if [ -n "${ZK_WINVER:-}" ]; then
  base="$WINEPREFIX"
  export WINEPREFIX="$ZK_WINE_DIR/prefix-$ZK_WINVER"
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
      winecfg -v "$ZK_WINVER" >/dev/null 2>&1 </dev/null 9>&-
      touch "$WINEPREFIX/.zk-ready"
    fi
    wineboot >/dev/null 2>&1 </dev/null 9>&-
  ) 9>"$ZK_WINE_DIR/prefix-$ZK_WINVER.lock"
fi
exec wine "$@"
