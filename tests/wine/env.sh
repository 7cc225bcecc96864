# Sourced by the wine test scripts: the environment every test run shares.
# $1: the build folder.
ZK_WINE_DIR="$1/wine"
export WINEPREFIX="$ZK_WINE_DIR/prefix"
export WINEARCH=win32
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winealsa.drv=d"
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
if [ -f "$ZK_WINE_DIR/display" ]; then
  export DISPLAY="$(cat "$ZK_WINE_DIR/display")"
fi
