#!/usr/bin/env bash
# Makes the viewer's eleven pictures in DIR: real planet maps from Debian's
# openuniverse-common package where present, converted to 24-bit BMP files of
# at most 1024 x 512; a procedural map of the body where not.
# Usage: scripts/pictures.sh PICTURE_TOOL DIR
set -euo pipefail
tool=$1
dir=$2
maps=${HELIORA_MAPS:-/usr/share/openuniverse/textures}
mkdir -p "$dir"

# picture file : body : source map (the package's sun.jpg is a glare sprite, not
# a surface, so the Sun gets a drawn map)
bodies=(Sun.bmp:Sun: Mercury.bmp:Mercury:mercury.jpg Venus.bmp:Venus:venus.jpg
        earth.bmp:Earth:earth.jpg Moon.bmp:Moon:moon.jpg Mars.bmp:Mars:mars.jpg
        Jupiter.bmp:Jupiter:jupiter.jpg Saturn.bmp:Saturn:saturn.jpg
        Uranus.bmp:Uranus:uranus.jpg Neptune.bmp:Neptune:neptune.jpg pluto.bmp:Pluto:pluto.jpg)

for entry in "${bodies[@]}"; do
  IFS=: read -r file body source <<<"$entry"
  [ -s "$dir/$file" ] && continue  # a picture already there (perhaps the user's own) stays
  if [ -n "$source" ] && [ -r "$maps/$source" ] && "$tool" import "$maps/$source" "$dir/$file"; then
    continue
  fi
  "$tool" generate "$body" "$dir/$file"
done
