# Sourced by the scripts: which builds this machine can run, and how each
# reaches Wine. Two builds exist: i686 (the 32-bit programs, run by 32-bit
# Wine) and x64 (the same sources for x86_64, run by 64-bit Wine). Some
# kernels have 32-bit support switched off; there only x64 runs.

# True when this machine runs 32-bit x86 code: a 96-byte static i386 program
# that only exits with 42. No 32-bit library is needed for it.
zk_can_run_i386() {
  if [ -n "${ZK_CAN_RUN_I386:-}" ]; then [ "$ZK_CAN_RUN_I386" = 1 ]; return; fi
  local dir probe rc
  dir="$(mktemp -d "${TMPDIR:-/tmp}/zk-i386.XXXXXX")" || return 1
  probe="$dir/probe"
  printf '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
  chmod +x "$probe"
  "$probe" 2>/dev/null
  rc=$?
  rm -rf "$dir"
  export ZK_CAN_RUN_I386=$([ "$rc" -eq 42 ] && echo 1 || echo 0)
  [ "$rc" -eq 42 ]
}

# The builds this machine runs, best first: "i686 x64" or "x64".
# ZK_TARGETS narrows them (e.g. ZK_TARGETS=x64).
zk_runnable_targets() {
  local all="x64"
  zk_can_run_i386 && all="i686 x64"
  if [ -n "${ZK_TARGETS:-}" ]; then
    local t out=""
    for t in $all; do case " $ZK_TARGETS " in *" $t "*) out="$out $t" ;; esac; done
    all="${out# }"
  fi
  echo "$all"
}

zk_toolchain_file() {  # target -> CMake toolchain file
  case "$1" in
    i686) echo "$ZK_ROOT/cmake/toolchain-mingw-i686.cmake" ;;
    x64) echo "$ZK_ROOT/cmake/toolchain-mingw-x86_64.cmake" ;;
  esac
}

# Exports WINEARCH, WINELOADER and WINESERVER for a target's Wine. Debian's
# /usr/bin/wine wrapper picks the 32-bit loader whenever it is installed,
# even for a 64-bit program, so the loaders are named explicitly.
zk_wine_env() {
  case "$1" in
    i686|win32)
      export WINEARCH=win32 WINELOADER=/usr/lib/wine/wine WINESERVER=/usr/lib/wine/wineserver32 ;;
    x64|win64)
      export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64 WINESERVER=/usr/lib/wine/wineserver64 ;;
  esac
}

# True when the target's Wine is installed and starts.
zk_wine_works() {
  ( zk_wine_env "$1" && [ -x "$WINELOADER" ] && [ -x "$WINESERVER" ] &&
    "$WINELOADER" --version >/dev/null 2>&1 )
}

# Wine's commands for the target zk_wine_env chose.
wine() { "$WINELOADER" "$@"; }
wineboot() { "$WINELOADER" wineboot "$@"; }
wineserver() { "$WINESERVER" "$@"; }
