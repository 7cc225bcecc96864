#!/usr/bin/env bash
# Starts what every test needs: a virtual display on a free number, a Wine
# prefix inside the build folder (32-bit or 64-bit, as the build's target),
# and one persistent wine server.
set -euo pipefail
build="$1"
mkdir -p "$build/wine"
bash "$(dirname "$0")/cleanup.sh" "$build" || true

n=90
while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$build/wine/xvfb.log" 2>&1 &
echo $! >"$build/wine/xvfb.pid"
for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
[ -e "/tmp/.X11-unix/X$n" ] || { echo "Xvfb did not start on :$n"; exit 1; }
echo ":$n" >"$build/wine/display"

# shellcheck source=env.sh
. "$(dirname "$0")/env.sh" "$build"
if ! zk_wine_works "$ZK_TARGET"; then
  echo "setup: no usable $WINEARCH Wine ($WINELOADER) for the $ZK_TARGET build"; exit 1
fi
wineserver -p >/dev/null 2>&1 </dev/null &
# Start (or first create) the prefix's own processes here, with their output
# in a log: a test that started them would hand them its output pipe, and the
# test runner would wait for them.
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >"$build/wine/wineboot.log" 2>&1 </dev/null
  # A program that crashes ends at once instead of waiting in the debugger.
  wine reg delete 'HKLM\Software\Microsoft\Windows NT\CurrentVersion\AeDebug' /v Debugger /f \
    >>"$build/wine/wineboot.log" 2>&1 </dev/null || true
else
  wineboot >"$build/wine/wineboot.log" 2>&1 </dev/null
fi
echo "wine prefix $WINEPREFIX ready, display $DISPLAY"
