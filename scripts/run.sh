#!/usr/bin/env bash
# Installs what is missing, builds the viewer and its eleven pictures, and
# starts it in the pictures' directory (it reads them from there).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh run
cmake -S . -B build -DHELIORA_TESTS=OFF -DHELIORA_BENCH=OFF >/dev/null
cmake --build build -j"$(nproc)" --target heliora pictures
cd build/pictures
exec ../heliora
