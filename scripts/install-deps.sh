#!/usr/bin/env bash
# Installs the cross toolchain, Wine (32-bit), Xvfb, the Japanese locale and
# GoogleTest on a Debian 12 machine. Safe to run again: it skips what is there.
set -euo pipefail

# Two builds started at once wait for each other rather than fight over dpkg.
exec 9>"${TMPDIR:-/tmp}/zk-install-deps.lock"
flock 9

need_pkgs=(gcc-mingw-w64-i686-posix g++-mingw-w64-i686-posix binutils-mingw-w64-i686 mingw-w64-tools wine wine32:i386 xvfb locales
           fonts-ipafont-gothic cmake googletest imagemagick xdotool
           mma midicsv timidity freepats)

missing=()
for p in "${need_pkgs[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
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
