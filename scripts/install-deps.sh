#!/usr/bin/env bash
# Installs what building and testing figmerg needs on Debian 12, and nothing that is already
# there. Runs as root, or through sudo. "native" asks only for what the command-line tool needs.
set -euo pipefail

packages=(cmake make g++ libgtest-dev)
if [ "${1:-all}" != native ]; then
  packages+=(
    clang clang-format libclang-rt-14-dev python3
    g++-mingw-w64-x86-64 g++-mingw-w64-i686 binutils-mingw-w64
    wine64 xvfb imagemagick hyperfine time
  )
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
echo "installing: ${missing[*]}"
$sudo apt-get update -qq
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq "${missing[@]}" >/dev/null
