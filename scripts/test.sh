#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test: the unit,
# GL, backend, tool and end-to-end tests; all but the backend's again under
# AddressSanitizer, UndefinedBehaviorSanitizer and LeakSanitizer (the
# end-to-end harness runs the sanitized viewer with leak checks at exit and
# fails on any report); and a short fuzzing run of the BMP reader. The Windows
# build (scripts/windows.sh) runs the end-to-end scenario under Wine.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
jobs=$(nproc)

cmake -S . -B build -DHELIORA_WERROR=ON -DHELIORA_TESTS=ON -DHELIORA_BENCH=ON \
  -DHELIORA_WINDOWS_VIEWER="$PWD/build-windows/heliora-win64/heliora.exe" >/dev/null
cmake --build build -j"$jobs"
# The Windows build and its zip: the end-to-end scenario runs it under Wine too.
bash scripts/windows.sh
ctest --test-dir build --output-on-failure --no-tests=error -j"$jobs"

cmake -S . -B build-sanitize -DHELIORA_WERROR=ON -DHELIORA_SANITIZE=ON -DHELIORA_TESTS=ON -DHELIORA_BENCH=OFF >/dev/null
cmake --build build-sanitize -j"$jobs"
# The soak sends half its inputs there: what it finds lies in the paths taken, not the count.
ASAN_OPTIONS=detect_leaks=1 LSAN_OPTIONS=suppressions=$PWD/tests/lsan.supp HELIORA_SOAK_INPUTS=1500 \
  ctest --test-dir build-sanitize --output-on-failure --no-tests=error -j"$jobs" \
  -L 'unit|gl|tools|e2e'

bash scripts/fuzz.sh 30
