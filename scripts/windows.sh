#!/usr/bin/env bash
# The Windows build: installs what is missing, cross-builds heliora.exe and
# heliora-pictures.exe with MinGW-w64, and writes build-windows/heliora-win64.zip
# (the two programs, the eleven pictures beside heliora.exe, a README.txt, the
# licence LICENSE.txt and the third parties' notices THIRD-PARTY.txt), also
# unpacked into build-windows/heliora-win64/ for the tests, and the installer
# build-windows/heliora-setup.exe of the same files (NSIS, packaging/heliora.nsi).
# The pictures are made by the Linux picture tool, as for the Linux build (tree
# `build`).
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh windows
jobs=2

if [ ! -f build/CMakeCache.txt ]; then
  cmake -S . -B build -DHELIORA_TESTS=OFF -DHELIORA_BENCH=OFF >/dev/null
fi
cmake --build build -j"$jobs" --target pictures

cmake -S . -B build-windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64.cmake \
  -DCMAKE_BUILD_TYPE=Release -DHELIORA_WERROR=ON >/dev/null
cmake --build build-windows -j"$jobs"

stage=build-windows/stage/heliora-win64
rm -rf build-windows/stage build-windows/heliora-win64 build-windows/heliora-win64.zip
mkdir -p "$stage"
cp build-windows/heliora.exe build-windows/heliora-pictures.exe "$stage/"
for picture in Sun Mercury Venus earth Moon Mars Jupiter Saturn Uranus Neptune pluto; do
  cp "build/pictures/$picture.bmp" "$stage/"
done
# Windows users read them in Notepad: CR LF line ends.
sed 's/$/\r/' packaging/README-windows.txt >"$stage/README.txt"
sed 's/$/\r/' LICENSE >"$stage/LICENSE.txt"
sed 's/$/\r/' packaging/THIRD-PARTY.txt >"$stage/THIRD-PARTY.txt"
(cd build-windows/stage && zip -q -r -X ../heliora-win64.zip heliora-win64)
rm -rf build-windows/stage
unzip -q build-windows/heliora-win64.zip -d build-windows
echo "Windows package: build-windows/heliora-win64.zip"

makensis -V2 -DVERSION="$(cat build-windows/version.txt)" -DSTAGE="$PWD/build-windows/heliora-win64" \
  -DICON="$PWD/build-windows/heliora.ico" -DOUTFILE="$PWD/build-windows/heliora-setup.exe" \
  packaging/heliora.nsi
echo "Windows installer: build-windows/heliora-setup.exe"
