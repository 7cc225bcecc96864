# Sourced by the wine test scripts: the environment every test run shares.
# $1: the build folder; its zk-target file names the build (i686 or x64),
# which picks 32-bit or 64-bit Wine.
ZK_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
# shellcheck source=../../scripts/platform.sh
. "$ZK_ROOT/scripts/platform.sh"
ZK_WINE_DIR="$1/wine"
ZK_TARGET="$(cat "$1/zk-target" 2>/dev/null || echo i686)"
zk_wine_env "$ZK_TARGET"
export WINEPREFIX="$ZK_WINE_DIR/prefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml=;winealsa.drv=d"
export LANG=ja_JP.UTF-8
export LC_ALL=ja_JP.UTF-8
if [ -f "$ZK_WINE_DIR/display" ]; then
  export DISPLAY="$(cat "$ZK_WINE_DIR/display")"
fi
