#!/usr/bin/env bash
# Cross-compiles iodriver_setup.exe for 64-bit Windows with MinGW-w64 into build/windows,
# warnings as errors, and checks that the program needs no MinGW runtime DLL beside it.
set -euo pipefail
cd "$(dirname "$0")/.."
command -v x86_64-w64-mingw32-g++ >/dev/null || bash scripts/install-deps.sh

# Only the installer is a Windows program here: the tests, the benchmarks and the other
# programs are left out of this build.
cmake -S . -B build/windows -G Ninja --no-warn-unused-cli \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DAGAT_WERROR=ON \
  -DAGAT_IODRIVER_SETUP_ONLY=ON \
  -DAGAT_BUILD_TESTS=OFF \
  -DAGAT_BUILD_BENCH=OFF
cmake --build build/windows --target iodriver_setup

exe=build/windows/tools/iodriver_setup/iodriver_setup.exe
[ -f "$exe" ] || { echo "cross-windows: $exe was not built" >&2; exit 1; }
# A bare Windows has only its own DLLs; the MinGW runtime must be linked in.
if x86_64-w64-mingw32-objdump -p "$exe" | grep -iE 'DLL Name: *(libstdc\+\+|libgcc|libwinpthread)'; then
  echo "cross-windows: $exe depends on the MinGW runtime DLLs above" >&2
  exit 1
fi
echo "cross-windows: built $exe"
