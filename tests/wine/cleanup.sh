#!/usr/bin/env bash
# Stops the wine server and the virtual display that setup.sh started.
build="$1"
if [ -d "$build/wine/prefix" ]; then
  # shellcheck source=env.sh
  . "$(dirname "$0")/env.sh" "$build"
  wineserver -k >/dev/null 2>&1 || true
  for p in "$build"/wine/prefix-*/; do
    [ -d "$p" ] && WINEPREFIX="${p%/}" wineserver -k >/dev/null 2>&1 || true
  done
fi
if [ -f "$build/wine/xvfb.pid" ]; then
  kill "$(cat "$build/wine/xvfb.pid")" 2>/dev/null || true
  rm -f "$build/wine/xvfb.pid" "$build/wine/display"
fi
exit 0
