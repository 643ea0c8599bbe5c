#!/usr/bin/env bash
# Installs what is missing, builds the file manager, makes a folder of sample disk images
# (samples/, beside this checkout's sources) and starts the file manager in it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/install-deps.sh run
cmake -S . -B build/release -G Ninja -DCMAKE_BUILD_TYPE=Release -DAGAT_BUILD_TESTS=OFF -DAGAT_BUILD_BENCH=OFF
cmake --build build/release --target sorbel make_samples
build/release/tools/make_samples/make_samples samples
# A terminal that names no type (a bare container shell) is taken for an xterm.
if [ -z "${TERM:-}" ] || [ "${TERM}" = "dumb" ]; then export TERM=xterm-256color; fi
cd samples
# The cursors start on the two sample images: Enter opens one.
exec ../build/release/src/ui/sorbel demo140.dsk big800.dsk
