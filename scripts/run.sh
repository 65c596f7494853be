#!/usr/bin/env bash
# Installs what is missing, builds the viewer, makes its pictures and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake -S . -B build -DHELIORA_TESTS=OFF -DHELIORA_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target heliora heliora-pictures
bash scripts/pictures.sh "$PWD/build/heliora-pictures" build/pictures
cd build/pictures  # the viewer reads its pictures from its working directory
exec ../heliora
