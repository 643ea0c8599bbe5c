#!/usr/bin/env bash
# Installs the Debian packages that are missing, only when some are.
#   install-deps.sh        everything the build, the tests and the Windows cross build need
#   install-deps.sh run    only what building and running the file manager needs
set -euo pipefail
packages=(cmake ninja-build g++ pkg-config libncurses-dev ncurses-term libsdl2-dev libpng-dev
          libchafa-dev zlib1g-dev libssl-dev)
if [ "${1:-test}" != "run" ]; then
  packages+=(clang libclang-rt-14-dev libgtest-dev libgmock-dev libbenchmark-dev tmux
             g++-mingw-w64-x86-64 libz-mingw-w64-dev xvfb xauth googletest wine wine64
             scdoc groff-base man-db dpkg-dev file mame-tools cc65
             chromium chromium-driver python3-selenium)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $sudo apt-get update
  $sudo apt-get install -y --no-install-recommends "${missing[@]}"
fi
