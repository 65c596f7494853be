#!/usr/bin/env bash
# heliora-pictures on its own: usage, generate, import and check, each with
# its exit code and the words a user acts on.
# Usage: test_pictures_tool.sh PICTURE_TOOL
set -euo pipefail
tool=$1
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0

fail() { echo "FAIL $*"; failures=$((failures + 1)); }
expect_code() {  # expected-code label command...
  local expected=$1 label=$2 code=0
  shift 2
  "$@" >"$work/out" 2>&1 || code=$?
  [ "$code" -eq "$expected" ] || fail "$label: exit $code, expected $expected: $(head -3 "$work/out")"
}
expect_text() {  # label text
  grep -qF -- "$2" "$work/out" || fail "$1: no \"$2\" in: $(cat "$work/out")"
}

expect_code 2 "no arguments" "$tool"
expect_text "usage" "usage: heliora-pictures"
expect_code 2 "unknown command" "$tool" show x
expect_code 2 "missing argument" "$tool" decode only-one
expect_code 2 "unknown body" "$tool" generate Vulcan "$work/v.bmp"

# generate: every body, deterministic, 1024 x 512 24-bit with a 40-byte header.
pictures=(Sun.bmp:Sun Mercury.bmp:Mercury Venus.bmp:Venus earth.bmp:Earth Moon.bmp:Moon
          Mars.bmp:Mars Jupiter.bmp:Jupiter Saturn.bmp:Saturn Uranus.bmp:Uranus
          Neptune.bmp:Neptune pluto.bmp:Pluto)
mkdir "$work/set"
for entry in "${pictures[@]}"; do
  IFS=: read -r file body <<<"$entry"
  expect_code 0 "generate $body" "$tool" generate "$body" "$work/set/$file"
done
"$tool" generate Jupiter "$work/again.bmp"
cmp -s "$work/again.bmp" "$work/set/Jupiter.bmp" || fail "generate is not deterministic"
[ "$(identify -format '%w %h %z' "$work/set/Sun.bmp")" = "1024 512 8" ] || fail "generated size"
[ "$(od -An -tu4 -j14 -N4 "$work/set/Sun.bmp" | tr -d ' ')" = 40 ] || fail "generated header size"
cmp -s "$work/set/Jupiter.bmp" "$work/set/Saturn.bmp" && fail "Jupiter and Saturn look the same"

# check: all eleven load.
expect_code 0 "check complete set" "$tool" check "$work/set"
expect_text "check complete set" "Sun.bmp: loads: 1024 x 512, 24-bit uncompressed, 40-byte header"
expect_text "check complete set" "All 11 pictures load."

# check: a newer header, a wrong case, a PNG in disguise, a cut file.
convert "$work/set/Moon.bmp" "BMP:$work/set/Moon.bmp"   # 124-byte header
mv "$work/set/earth.bmp" "$work/set/Earth.bmp"
convert "$work/set/Mars.bmp" "png:$work/set/Mars.bmp"
head -c 3000 "$work/set/Venus.bmp" >"$work/cut" && mv "$work/cut" "$work/set/Venus.bmp"
expect_code 1 "check damaged set" "$tool" check "$work/set"
expect_text "newer header" "Moon.bmp: will not load: \"Unknown DIB file format.\""
expect_text "newer header" "124 bytes"
expect_text "newer header" "convert in.png BMP3:Moon.bmp"
expect_text "newer header" "Do not write colour space information"
expect_text "wrong case" "earth.bmp: missing, but Earth.bmp is there"
expect_text "PNG" "It is a PNG picture with a .bmp name."
expect_text "cut file" "Venus.bmp: will not load: \"Image file conversion error.\""
expect_text "cut file" "the file ends before the last row of pixels"
expect_text "summary" "7 of 11 pictures load"
expect_code 1 "check a file, not a folder" "$tool" check "$work/again.bmp"

# import: a wide PNG is scaled into 1024 x 512 keeping its proportions.
convert -size 3000x600 gradient:red-blue "$work/wide.png"
expect_code 0 "import PNG" "$tool" import "$work/wide.png" "$work/wide.bmp"
[ "$(identify -format '%w %h' "$work/wide.bmp")" = "1024 205" ] || fail "import size: $(identify -format '%w %h' "$work/wide.bmp")"
expect_code 0 "decode imported" "$tool" decode "$work/wide.bmp" "$work/wide.ppm"
# A flat colour stays exactly that colour through the box filter.
convert -size 2048x1024 xc:'rgb(10,200,30)' "$work/flat.jpg"
convert -size 2048x1024 xc:'rgb(10,200,30)' "$work/flat.png"
expect_code 0 "import JPEG" "$tool" import "$work/flat.jpg" "$work/flat-jpg.bmp"
expect_code 0 "import flat PNG" "$tool" import "$work/flat.png" "$work/flat.bmp"
[ "$(convert "$work/flat.bmp" -format '%[pixel:p{500,300}] %w %h' info:)" = "srgb(10,200,30) 1024 512" ] ||
  fail "flat import: $(convert "$work/flat.bmp" -format '%[pixel:p{500,300}] %w %h' info:)"
expect_code 1 "import a non-picture" "$tool" import "$0" "$work/x.bmp"

# decode failures print the reader's message only.
expect_code 1 "decode missing" "$tool" decode "$work/none.bmp" "$work/none.ppm"
[ "$(cat "$work/out")" = "Failed to open DIB file $work/none.bmp." ] || fail "decode missing text: $(cat "$work/out")"

# The set-up's pictures script makes again, with a newer tool, the pictures it
# made itself and that are still as made; a picture the user put there, or
# converted from a folder of their own, stays. The Earth is imported from its
# photographic map while that is there, again when it changes, else drawn.
for version in old new; do
  printf '#!/bin/sh\necho "%s $2" >"$3"\n[ ! -f "$2" ] || cat "$2" >>"$3"\n' $version >"$work/$version-tool"
  chmod +x "$work/$version-tool"
done
pictures() {  # tool [earth map]: runs the script on $work/made
  HELIORA_EARTH_MAP=${2:-$work/none} bash "$(dirname "$0")/../../scripts/pictures.sh" "$work/$1-tool" "$work/made"
}
made() { tr '\n' ' ' <"$work/made/$1"; }
mkdir "$work/mine" && echo "pluto of mine" >"$work/mine/pluto.jpg"
HELIORA_MAPS=$work/mine pictures old
echo "the user's own" >"$work/made/Mars.bmp"
echo "photograph 1" >"$work/earth.jpg"
pictures new "$work/earth.jpg"
[ "$(made Sun.bmp)/$(made Mars.bmp)/$(made pluto.bmp)" = "new Sun /the user's own /old $work/mine/pluto.jpg pluto of mine " ] ||
  fail "pictures script: Sun.bmp $(made Sun.bmp), Mars.bmp $(made Mars.bmp), pluto.bmp $(made pluto.bmp)"
earth=$(made earth.bmp)
echo "photograph 2" >"$work/earth.jpg"
pictures new "$work/earth.jpg"
earth+=/$(made earth.bmp)
pictures new
earth+=/$(made earth.bmp)
[ "$earth" = "new $work/earth.jpg photograph 1 /new $work/earth.jpg photograph 2 /new Earth " ] ||
  fail "pictures script, the Earth: $earth"

[ "$failures" -eq 0 ] && echo "picture tool: all checks passed"
[ "$failures" -eq 0 ]
