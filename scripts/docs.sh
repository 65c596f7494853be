#!/usr/bin/env bash
# Draws the README's pictures into docs/ from a build: the eleven maps side by
# side (maps.png), the viewer at start (screenshot.png), and each body zoomed
# in (closeups.png: every picture that body's map, so the Sun at the centre
# shows it large; the Earth, Jupiter and the Moon in both sphere modes). Runs
# the viewer on a private Xvfb through the end-to-end harness; needs its
# packages (scripts/deps.sh test) and the DejaVu fonts.
# Usage: scripts/docs.sh [BUILD_DIR]
set -uo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$root/build}")
unset HELIORA_BUILD_DIR  # each run keeps the pictures put in its folder
source "$root/tests/e2e/lib.sh" "$build/heliora" "$build/heliora-pictures"
pictures=$build/pictures
label=(-background '#1e1e1e' -fill '#f0f0f0' -font DejaVu-Sans -pointsize 15)

shot() {  # OUT MAP|all ZOOMS [GLU] [SECONDS]: the viewer's window with every body wearing MAP
  local file
  export E2E_RUN_DIR=run-$1
  mkdir -p "$E2E_DIR/$E2E_RUN_DIR"
  for file in "${E2E_PICTURES[@]}"; do
    cp "$pictures/$([ "$2" = all ] && echo "$file" || echo "$2")" "$E2E_DIR/$E2E_RUN_DIR/$file"
  done
  e2e_start_viewer
  e2e_wait_window Heliora
  sleep 1.5
  [ "${4:-}" = GLU ] && e2e_hold_key "$E2E_WINDOW" F5 0.3
  for _ in $(seq "$3"); do e2e_hold_key "$E2E_WINDOW" KP_Add 0.15; done
  sleep "${5:-1}"
  e2e_screenshot "$E2E_DIR/$1.png" "$E2E_WINDOW"
  e2e_stop_process "$E2E_VIEWER_PID"
}

e2e_start_xvfb 1024x768x24
shot screenshot all 3 mesh 3
convert "$E2E_DIR/screenshot.png" "$root/docs/screenshot.png"

maps=() closeups=()
for body in Sun Mercury Venus earth Moon Mars Jupiter Saturn Uranus Neptune pluto; do
  maps+=(-label "${body^}" "$pictures/$body.bmp")
done
for entry in Sun Mercury Venus earth Moon Mars Jupiter Saturn Uranus Neptune pluto \
  earth:GLU Jupiter:GLU Moon:GLU; do
  IFS=: read -r body mode <<<"$entry"
  mode=${mode:-mesh}
  shot "$body-$mode" "$body.bmp" 12 "$mode"
  convert "$E2E_DIR/$body-$mode.png" -crop 420x420+190+90 +repage -resize 250x250 \
    "$E2E_DIR/$body-$mode.png"
  closeups+=(-label "${body^} ($mode)" "$E2E_DIR/$body-$mode.png")
done
montage "${maps[@]}" -tile 4x -geometry 288x144+6+6 "${label[@]}" "$E2E_DIR/maps.png"
montage "${closeups[@]}" -tile 7x -geometry 250x250+8+6 "${label[@]}" "$E2E_DIR/closeups.png"
for picture in maps closeups; do
  convert "$E2E_DIR/$picture.png" -colors 256 "PNG8:$root/docs/$picture.png"
done
echo "docs/maps.png, docs/screenshot.png and docs/closeups.png drawn"
