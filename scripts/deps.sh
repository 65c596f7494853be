#!/usr/bin/env bash
# Installs with apt-get whatever the build, the viewer and the tests need and
# this machine lacks, on Debian 12 (bookworm) or Debian 13 (trixie).
# Usage: scripts/deps.sh run|test|windows
#
# Where releases name a package differently, the list gives the names as
# "first|second": the first one this release offers is installed, and any one
# of them already installed is enough. Never name a fixed version in a package
# name when a version-free one exists (libclang-rt-dev, not libclang-rt-14-dev).
set -euo pipefail
export LC_ALL=C

build=(cmake g++ make pkg-config libsdl2-dev libgl1-mesa-dev libglu1-mesa-dev libegl-dev
       libgtest-dev libbenchmark-dev libstb-dev librsvg2-bin)
# Message boxes draw with X core fonts on X11: Latin ones (xfonts-base) and
# Hangul ones (Baekmuk); without the Latin ones ASCII is drawn with Korean
# glyphs. On Wayland zenity draws them, with a Hangul font that fontconfig
# knows (NanumGothic), and a libdecor plugin draws the window's title bar. The
# Earth's picture is made from xplanet-images' photographic map (the Windows
# build takes its pictures from this one).
run=(xfonts-base xfonts-baekmuk zenity fonts-nanum libdecor-0-plugin-1-cairo xplanet-images)
test=(xvfb xauth xdotool x11-utils imagemagick libx11-dev libxfixes-dev clang libclang-rt-dev clang-format strace
      lintian desktop-file-utils appstream man-db)

wanted=("${build[@]}" "${run[@]}")
[ "${1:-run}" = test ] && wanted+=("${test[@]}")

# The scripts' runs under a headless sway (the e2e.*.wayland tests), where the
# release has a sway that runs as root (1.8 on; Debian 13): the compositor,
# grim for pictures, jq for its window tree, the input client's build, and
# what the viewer's boxes need there (zenity, a Korean font fontconfig knows).
release=$(. /etc/os-release && echo "${VERSION_ID:-0}")
if [ "${1:-run}" = test ] && { [ "${release%%.*}" -ge 13 ] ||
   dpkg --compare-versions "$(apt-cache policy sway 2>/dev/null | sed -n 's/^  Candidate: //p')" ge 1.8; }; then
  wanted+=(sway grim jq libwayland-dev wayland-protocols libxkbcommon-dev zenity fonts-nanum)
fi

# The Windows build (scripts/windows.sh) and its end-to-end tests under Wine,
# whose boxes need a Korean font (NanumGothic, in the run list). The 64-bit
# Wine is `wine64` where the release still has that package, else part of
# `wine`. The icon is drawn from its SVG by rsvg-convert and packed by
# ImageMagick; NSIS makes the installer.
if [ "${1:-run}" = test ] || [ "${1:-run}" = windows ]; then
  wanted+=(g++-mingw-w64-x86-64-posix 'wine64|wine' zip unzip librsvg2-bin nsis)
  [ "${1:-run}" = windows ] && wanted+=(imagemagick)
fi

installed() {  # NAME...: one of them is installed
  local name
  for name; do
    [ "$(dpkg-query -W -f='${db:Status-Status}' "$name" 2>/dev/null)" = installed ] && return 0
  done
  return 1
}
offered() {  # NAME: this release has a version of it to install
  local policy
  policy=$(apt-cache policy "$1" 2>/dev/null) || return 1
  grep -q '^  Candidate: [^(]' <<<"$policy"
}

missing=()
for entry in "${wanted[@]}"; do
  IFS='|' read -ra names <<<"$entry"
  installed "${names[@]}" || missing+=("$entry")
done
[ ${#missing[@]} -eq 0 ] && exit 0

export DEBIAN_FRONTEND=noninteractive
apt-get update -qq
chosen=()
for entry in "${missing[@]}"; do
  IFS='|' read -ra names <<<"$entry"
  pick=${names[0]}  # offered nowhere: apt-get names it in its error
  for name in "${names[@]}"; do
    if offered "$name"; then pick=$name; break; fi
  done
  chosen+=("$pick")
done
missing=("${chosen[@]}")
echo "Installing: ${missing[*]}"
apt-get install -y -qq --no-install-recommends "${missing[@]}"
