#!/usr/bin/env bash
# Installs what is missing, builds everything with AddressSanitizer and
# UndefinedBehaviorSanitizer, runs every test through CTest, tests the installation and the
# Debian package (scripts/package-tests.sh), runs every fuzz target briefly
# (scripts/fuzz.sh --smoke), then cross-compiles the programs for Windows and tests them
# under Wine (scripts/cross-windows.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh
cmake -S . -B build/asan -G Ninja -DCMAKE_BUILD_TYPE=Debug -DAGAT_SANITIZE=ON -DAGAT_WERROR=ON
cmake --build build/asan
ctest --test-dir build/asan --output-on-failure -j2
bash scripts/package-tests.sh
bash scripts/fuzz.sh --smoke
bash scripts/cross-windows.sh
