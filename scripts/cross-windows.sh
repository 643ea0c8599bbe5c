#!/usr/bin/env bash
# Cross-compiles the four programs (sorbel.exe, agatdisk.exe, blend.exe, iodriver_setup.exe),
# the core's test program and that of the Windows backends for 64-bit Windows with MinGW-w64 into build/windows, warnings
# as errors; checks that no program needs a DLL other than Windows' own; then runs the
# Windows tests under Wine (scripts/wine-tests.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
command -v x86_64-w64-mingw32-g++ >/dev/null || bash scripts/install-deps.sh

# A build folder made for other compilers (the thread model cannot change in a configured
# folder) is made anew.
if [ -f build/windows/CMakeCache.txt ] &&
   ! grep -q '^CMAKE_CXX_COMPILER_AR:.*-posix$' build/windows/CMakeCache.txt; then
  rm -rf build/windows
fi
cmake -S . -B build/windows -G Ninja --no-warn-unused-cli \
  -DCMAKE_TOOLCHAIN_FILE="$PWD/cmake/mingw-w64-x86_64.cmake" \
  -DCMAKE_BUILD_TYPE=Release \
  -DAGAT_WERROR=ON \
  -DAGAT_BUILD_TESTS=ON \
  -DAGAT_BUILD_BENCH=OFF
cmake --build build/windows --target sorbel agatdisk blend iodriver_setup core_tests windows_tests

programs=(src/ui/sorbel.exe tools/agatdisk/agatdisk.exe tools/blend/blend.exe
          tools/iodriver_setup/iodriver_setup.exe tests/core/core_tests.exe
          tests/windows/windows_tests.exe)
for program in "${programs[@]}"; do
  exe=build/windows/$program
  [ -f "$exe" ] || { echo "cross-windows: $exe was not built" >&2; exit 1; }
  # A bare Windows has only its own DLLs: the MinGW runtime must be linked in.
  foreign=$(x86_64-w64-mingw32-objdump -p "$exe" | sed -n 's/^\s*DLL Name: *//p' |
            grep -viE '^(kernel32|user32|gdi32|advapi32|shell32|msvcrt|ws2_32|ole32)\.dll$' || true)
  if [ -n "$foreign" ]; then
    echo "cross-windows: $exe needs DLLs that Windows does not have:" $foreign >&2
    exit 1
  fi
done
echo "cross-windows: built ${programs[*]} in build/windows"
# The .zip of the four programs and the README.
(cd build/windows && cpack -G ZIP)
bash scripts/wine-tests.sh
