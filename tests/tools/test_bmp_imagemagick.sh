#!/usr/bin/env bash
# Cross-check of the BMP reader against ImageMagick: pictures written by
# ImageMagick's BMP writers (1, 4, 8, 16, 24 and 32 bits, RLE8, core headers,
# odd widths) are decoded by `heliora-pictures decode` and by ImageMagick
# itself, and the two must agree byte for byte. Pictures with the newer
# 124-byte header must be refused with the reader's message.
# Usage: test_bmp_imagemagick.sh PICTURE_TOOL
set -eEuo pipefail
# A command that ends the script says so: which line, what it ran, its status
# (a status above 128 is a signal, 141 a broken pipe). The text goes to the
# script's own output (kept as descriptor 3), whatever the failing command's
# output was redirected to.
exec 3>&1
trap 'echo "FAIL line $LINENO: \"$BASH_COMMAND\" ended with status $?, which ends the check" >&3' ERR
tool=$1
command -v convert >/dev/null || { echo "ImageMagick's convert is needed" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
failures=0
checked=0

# name : ImageMagick output prefix : options
# The palettes are made without dithering and before the type is set: each
# dithered quantization costs ImageMagick 6 some 0.4 s (a 140 MB cache), and
# -type Palette on a picture of more than 256 colours quantizes again.
formats=(
  "rgb24:BMP3:-type TrueColor"
  "rgb32:BMP3:-alpha on -channel A -evaluate set 60% +channel -define bmp3:alpha=true"
  "pal8:BMP3:+dither -colors 200 -type Palette -compress None"
  "pal4:BMP3:+dither -colors 12 -type Palette -compress None"
  "pal1:BMP3:+dither -colors 2 -type Palette -compress None"
  "bilevel:BMP3:-type Bilevel -compress None"
  "rle8:BMP3:+dither -colors 180 -type Palette -compress RLE"
  "rle8few:BMP3:+dither -colors 9 -type Palette -compress RLE"
  "core8:BMP2:+dither -colors 200 -type Palette -compress None"
  "core4:BMP2:+dither -colors 14 -type Palette -compress None"
  "core1:BMP2:-type Bilevel -compress None"
  "core24:BMP2:-type TrueColor"
)
sizes=(1x1 3x2 5x7 13x7 33x17 64x32 101x3 2x45)

# Called as a condition, so a failing command inside would not end the script:
# each one is checked here, and nothing of the previous picture is left over.
# Sets ours_size ("width height") and leaves the pixels in ours.rgb.
decode_ours() {  # file label; 1 when the reader refused it
  local magic maxval
  rm -f "$work/ours.ppm" "$work/ours.rgb"
  if ! "$tool" decode "$1" "$work/ours.ppm" 2>"$work/err"; then
    echo "FAIL $2: the reader refused it: $(cat "$work/err")"
    failures=$((failures + 1))
    return 1
  fi
  { read -r magic; read -r ours_size; read -r maxval; } <"$work/ours.ppm"
  if [ "$magic $maxval" != "P6 255" ]; then
    echo "FAIL $2: the reader's PPM starts \"$magic $ours_size $maxval\""
    failures=$((failures + 1))
    return 1
  fi
  tail -c +$((${#magic} + ${#ours_size} + ${#maxval} + 4)) "$work/ours.ppm" >"$work/ours.rgb"
}

# ImageMagick's reading of a picture: the same pixels and size as ours.
same_as_ours() {  # picture
  [ "$(convert "$1" -depth 8 -print '%w %h' rgb:"$work/theirs.rgb")" = "$ours_size" ] &&
    cmp -s "$work/ours.rgb" "$work/theirs.rgb"
}

compare() {  # file label [picture it was written from]
  local file=$1 label=$2 source=${3:-}
  checked=$((checked + 1))
  decode_ours "$file" "$label" || return 0
  same_as_ours "$file" && return 0
  # ImageMagick's RLE8 decoder misreads some narrow pictures of its own
  # writer; there the picture the file was written from is the judge.
  if [ -n "$source" ] && same_as_ours "$source"; then
    echo "note $label: ImageMagick's own decoding differs; matches the picture it was written from"
    return 0
  fi
  echo "FAIL $label: differs from ImageMagick"
  failures=$((failures + 1))
}

seed=1
for size in "${sizes[@]}"; do
  for entry in "${formats[@]}"; do
    IFS=: read -r name prefix options <<<"$entry"
    file="$work/$name-$size.bmp"
    if [[ $options == *RLE* ]]; then
      # shellcheck disable=SC2086
      convert -size "$size" -seed "$seed" plasma: ${options%-compress RLE} "png:$work/source.png"
      convert "$work/source.png" -type Palette -compress RLE "$prefix:$file"
      compare "$file" "$name $size" "$work/source.png"
    else
      # shellcheck disable=SC2086
      convert -size "$size" -seed "$seed" plasma: $options "$prefix:$file"
      compare "$file" "$name $size"
    fi
    seed=$((seed + 1))
  done
done

# A 16-bit 5-6-5 picture from ImageMagick's current writer (124-byte header),
# restated with a 40-byte header and its three masks; the pixels are untouched.
bytes_at() { dd if="$1" bs=4096 iflag=skip_bytes,count_bytes skip="$2" count="$3" status=none; }  # file offset count
le32() { printf "\\x$(printf %02x $(($1 & 255)))\\x$(printf %02x $((($1 >> 8) & 255)))\\x$(printf %02x $((($1 >> 16) & 255)))\\x$(printf %02x $((($1 >> 24) & 255)))"; }
for size in 13x7 64x32; do
  v5="$work/v5-565-$size.bmp"
  convert -size "$size" -seed "$seed" plasma: -define bmp:subtype=RGB565 "BMP:$v5"
  seed=$((seed + 1))
  offset=$(od -An -tu4 -j10 -N4 "$v5" | tr -d ' ')
  total=$(stat -c %s "$v5")
  out="$work/bitfields565-$size.bmp"
  {
    printf 'BM'
    le32 $((66 + total - offset))
    le32 0
    le32 66
    le32 40
    bytes_at "$v5" 18 36               # the 40-byte header after its size field
    bytes_at "$v5" 54 12               # the red, green and blue masks
    bytes_at "$v5" "$offset" $((total - offset))  # the pixels
  } >"$out"
  compare "$out" "bit fields 5-6-5 $size"
done

# The newer headers are refused, with the reader's own text.
convert -size 8x8 plasma: -type TrueColor "BMP:$work/v5.bmp"
checked=$((checked + 1))
if "$tool" decode "$work/v5.bmp" "$work/v5.ppm" 2>"$work/err" ||
   [ "$(cat "$work/err")" != "Unknown DIB file format." ]; then
  echo "FAIL 124-byte header: expected \"Unknown DIB file format.\", got: $(cat "$work/err")"
  failures=$((failures + 1))
fi

echo "$checked pictures checked, $failures failed"
[ "$failures" -eq 0 ]
