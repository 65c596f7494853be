#!/usr/bin/env bash
# Makes the viewer's eleven pictures in DIR, each a map of its body drawn by the
# picture tool. With HELIORA_MAPS set to a folder of your own equirectangular
# maps (sun.jpg, mercury.jpg, ..., pluto.jpg; PNG or JPEG), those found there
# are converted instead, to 24-bit BMP files of at most 1024 x 512.
# Usage: [HELIORA_MAPS=DIR] scripts/pictures.sh PICTURE_TOOL DIR
set -euo pipefail
tool=$1
dir=$2
maps=${HELIORA_MAPS:-}
mkdir -p "$dir"

# picture file : body : map of your own
bodies=(Sun.bmp:Sun:sun.jpg Mercury.bmp:Mercury:mercury.jpg Venus.bmp:Venus:venus.jpg
        earth.bmp:Earth:earth.jpg Moon.bmp:Moon:moon.jpg Mars.bmp:Mars:mars.jpg
        Jupiter.bmp:Jupiter:jupiter.jpg Saturn.bmp:Saturn:saturn.jpg
        Uranus.bmp:Uranus:uranus.jpg Neptune.bmp:Neptune:neptune.jpg pluto.bmp:Pluto:pluto.jpg)

for entry in "${bodies[@]}"; do
  IFS=: read -r file body source <<<"$entry"
  [ -s "$dir/$file" ] && continue  # a picture already there (perhaps the user's own) stays
  if [ -n "$maps" ] && [ -r "$maps/$source" ] && "$tool" import "$maps/$source" "$dir/$file"; then
    continue
  fi
  "$tool" generate "$body" "$dir/$file"
done
