#!/usr/bin/env bash
# Builds the main program and starts it under Wine. On a fresh Debian machine
# it first installs what it needs. The Wine prefix and the settings file
# (ZKFW95.INI in the prefix's Windows folder) live in the build folder; the
# settings are written once and then kept as the program leaves them.
# Arguments are passed to the program (one song file to open).
# The i686 build where this machine runs 32-bit code, the x64 build otherwise.
set -euo pipefail
ZK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=platform.sh
. "$ZK_ROOT/scripts/platform.sh"

bash "$ZK_ROOT/scripts/install-deps.sh"
target="$(zk_runnable_targets)"; target="${target%% *}"
[ -n "$target" ] || { echo "run: none of the builds in ZK_TARGETS runs on this machine"; exit 1; }
build="${ZK_BUILD_DIR:-$ZK_ROOT/build}/$target"
if [ "$target" = i686 ]; then
  echo "run: starting the i686 (32-bit) build under 32-bit Wine"
else
  why="this machine cannot run 32-bit code"; zk_can_run_i386 && why="ZK_TARGETS chose it"
  echo "run: starting the x64 build under 64-bit Wine ($why)"
fi
cmake -S "$ZK_ROOT" -B "$build" -G Ninja -DCMAKE_TOOLCHAIN_FILE="$(zk_toolchain_file "$target")" >/dev/null
cmake --build "$build" -j"$(nproc)" --target zkfw32

zk_wine_env "$target"
export WINEPREFIX="$build/run/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
mkdir -p "$build/run"

xvfb_pid=""
cleanup() { [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null || true; }
trap cleanup EXIT
if [ -z "${DISPLAY:-}" ]; then
  n=90
  while [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ]; do n=$((n + 1)); done
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$build/run/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
  export DISPLAY=":$n"
  echo "run: this machine has no display; the program runs on the virtual display $DISPLAY (Xvfb)."
  echo "run: take a look with: DISPLAY=$DISPLAY import -window root shot.png"
fi

if [ ! -f "$WINEPREFIX/system.reg" ]; then
  echo "run: creating the Wine prefix in $WINEPREFIX"
  wineboot -i >"$build/run/wineboot.log" 2>&1 </dev/null
fi

settings="$WINEPREFIX/drive_c/windows/ZKFW95.INI"
if [ ! -f "$settings" ]; then
  echo "run: writing the settings file $settings"
  # Port A on the first MIDI output when the system has a MIDI sequencer
  # (a software synthesizer shows up there); otherwise no ports, rather than
  # a warning for every port that cannot be opened.
  ports=('Port2Name=None' 'Port3Name=None' 'Port4Name=None' 'INPort1Name=None' 'INPort2Name=None')
  [ -e /dev/snd/seq ] || ports=('Port1Name=None' "${ports[@]}")
  printf '%s\r\n' '[MIDIIF]' "${ports[@]}" >"$settings"
  printf '%s\r\n' \
    '[Play]' 'Applet=zkpoly.dll' \
    '[Default Display]' 'StatusBar=2' 'ToolBar=1' 'View=0' \
    '[StartUp]' 'ActiveWindow=0' \
    '[DeskTop]' 'Conductor=0,1,1,0,0,0,0,0,260,0,420' 'TrkSetMode=0' \
    'TrkView=0,1,1,0,0,0,0,0,260,420,840' 'Track1=0,1,1,0,0,0,0,260,560,0,420' >>"$settings"
fi

cd "$build/program"
wine zkfw32.exe "$@"
