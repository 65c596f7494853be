#!/usr/bin/env bash
# Makes the viewer's eleven pictures in DIR, each a map of its body drawn by the
# picture tool; the Earth's is converted from the photographic map Debian's
# xplanet-images installs (HELIORA_EARTH_MAP), where it is there. With
# HELIORA_MAPS set to a folder of your own equirectangular maps (sun.jpg,
# mercury.jpg, ..., pluto.jpg; PNG or JPEG), those found there are converted
# instead, to 24-bit BMP files of at most 1024 x 512.
# Usage: [HELIORA_MAPS=DIR] scripts/pictures.sh PICTURE_TOOL DIR
set -euo pipefail
tool=$1
dir=$2
maps=${HELIORA_MAPS:-}
earth_map=${HELIORA_EARTH_MAP:-/usr/share/xplanet/images/earth.jpg}
mkdir -p "$dir"

# picture file : body : map of your own
bodies=(Sun.bmp:Sun:sun.jpg Mercury.bmp:Mercury:mercury.jpg Venus.bmp:Venus:venus.jpg
        earth.bmp:Earth:earth.jpg Moon.bmp:Moon:moon.jpg Mars.bmp:Mars:mars.jpg
        Jupiter.bmp:Jupiter:jupiter.jpg Saturn.bmp:Saturn:saturn.jpg
        Uranus.bmp:Uranus:uranus.jpg Neptune.bmp:Neptune:neptune.jpg pluto.bmp:Pluto:pluto.jpg)

# A picture already there stays (perhaps the user's own), unless it is one
# this script made and it is still as made: that one is made again, so that
# a newer picture tool's maps replace the older ones. What was made is recorded
# by checksum in $dir/.made; a map converted from the user's folder is the
# user's and is not.
made=$(cat "$dir/.made" 2>/dev/null || true)
record=""
for entry in "${bodies[@]}"; do
  IFS=: read -r file body source <<<"$entry"
  if [ -s "$dir/$file" ] && ! grep -qxF "$(cd "$dir" && cksum "$file")" <<<"$made"; then
    continue
  fi
  if [ -n "$maps" ] && [ -r "$maps/$source" ] && "$tool" import "$maps/$source" "$dir/$file"; then
    continue
  fi
  if [ "$body" != Earth ] || [ ! -r "$earth_map" ] || ! "$tool" import "$earth_map" "$dir/$file"; then
    "$tool" generate "$body" "$dir/$file"
  fi
  record+="$(cd "$dir" && cksum "$file")"$'\n'
done
printf '%s' "$record" >"$dir/.made"
