#!/usr/bin/env bash
# Installs with apt-get whatever the build, the viewer and the tests need and
# this machine lacks. Usage: scripts/deps.sh run|test|windows
set -euo pipefail

build=(cmake g++ make pkg-config libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libegl-dev
       libgtest-dev libbenchmark-dev libstb-dev)
# Message boxes draw with X core fonts: Latin ones (xfonts-base) and Hangul ones
# (Baekmuk); without the Latin ones ASCII is drawn with Korean glyphs. The
# planet maps come from openuniverse-common.
run=(xfonts-base xfonts-baekmuk openuniverse-common)
test=(xvfb xauth xdotool x11-utils imagemagick libx11-dev libxfixes-dev clang libclang-rt-14-dev)

wanted=("${build[@]}" "${run[@]}")
[ "${1:-run}" = test ] && wanted+=("${test[@]}")

# The Windows build (scripts/windows.sh) and its end-to-end test under Wine,
# whose boxes need a Korean font (NanumGothic). The 64-bit Wine is `wine64`
# where the release still has that package, else part of `wine`.
if [ "${1:-run}" = test ] || [ "${1:-run}" = windows ]; then
  wine=wine64
  if ! apt-cache show wine64 >/dev/null 2>&1; then
    [ -n "$(apt-cache policy wine64 2>/dev/null)" ] || apt-get update -qq
    apt-cache show wine64 >/dev/null 2>&1 || wine=wine
  fi
  wanted+=(g++-mingw-w64-x86-64-posix "$wine" fonts-nanum zip unzip)
fi

missing=()
for package in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${db:Status-Status}' "$package" 2>/dev/null || true)
  [ "$status" = installed ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
if ! apt-get install -y -qq --no-install-recommends "${missing[@]}"; then
  # The maps are welcome but not needed: the picture tool can draw its own.
  optional=(openuniverse-common)
  rest=()
  for package in "${missing[@]}"; do
    [[ " ${optional[*]} " == *" $package "* ]] || rest+=("$package")
  done
  apt-get install -y -qq --no-install-recommends "${rest[@]}"
fi
