#!/usr/bin/env bash
# Installs the cross toolchains (i686 and x86_64), Wine, Xvfb, the Japanese
# locale and GoogleTest on a Debian 12 machine. Safe to run again: it skips
# what is there. 64-bit Wine always; 32-bit Wine only where this machine runs
# 32-bit code (elsewhere its post-install scripts fail and leave a loader
# that cannot start).
set -euo pipefail
ZK_ROOT="$(cd "$(dirname "$0")/.." && pwd)"
# shellcheck source=platform.sh
. "$ZK_ROOT/scripts/platform.sh"

# Two builds started at once wait for each other rather than fight over dpkg.
exec 9>"${TMPDIR:-/tmp}/zk-install-deps.lock"
flock 9

need_pkgs=(gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686
           gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
           mingw-w64-tools wine wine64 xvfb locales fonts-ipafont-gothic cmake ninja-build googletest
           imagemagick xdotool python3 mma midicsv timidity freepats)
i386=0
if zk_can_run_i386; then
  i386=1
  need_pkgs+=(wine32:i386)
fi

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  if [ "$i386" = 1 ]; then
    dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
  fi
  if ! { $SUDO apt-get update -q || true; } || ! $SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"; then
    # The i386 index of the security suite sometimes fails to download; apt
    # then cannot resolve wine32. Retry with the system's own list minus
    # that suite.
    echo "install-deps: retrying without the security suite"
    tmp=$(mktemp -d)
    for f in /etc/apt/sources.list.d/*.sources; do
      [ -e "$f" ] || continue
      awk 'BEGIN{RS="";ORS="\n\n"} !/Suites:[^\n]*-security/' "$f" > "$tmp/$(basename "$f")"
    done
    opts=(-o Dir::Etc::SourceParts="$tmp" -o Dir::Etc::SourceList=/dev/null)
    $SUDO apt-get "${opts[@]}" update -q || true
    $SUDO apt-get "${opts[@]}" install -y -q --no-install-recommends "${missing[@]}"
    rm -rf "$tmp"
  fi
fi

if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  echo "install-deps: generating ja_JP.UTF-8"
  $SUDO sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | $SUDO tee -a /etc/locale.gen >/dev/null
  $SUDO locale-gen
fi

# One clear line, not a run of failed tests, when a Wine the builds need
# does not start.
zk_wine_works x64 || { echo "install-deps: FAILED: 64-bit Wine (/usr/lib/wine/wine64) does not start"; exit 1; }
if [ "$i386" = 1 ] && ! zk_wine_works i686; then
  echo "install-deps: FAILED: this machine runs 32-bit code but 32-bit Wine (/usr/lib/wine/wine) does not start"
  exit 1
fi
