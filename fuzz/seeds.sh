#!/usr/bin/env bash
# Writes the fuzzer's seed pictures into DIR: small files from ImageMagick's
# BMP writers (1, 4, 8, 16, 24 and 32 bits, RLE8, 12-byte core headers, odd
# sizes, a 124-byte header the reader refuses) and hand-made files for what
# those writers never produce (RLE4, RLE8 escapes, bare DIBs without the
# 14-byte file header, top-down rows, bit-field masks, 5-5-5 pixels, a colour
# table shorter than the bit count allows). Every seed stays under the
# fuzzer's 4096-byte input limit. Without ImageMagick only the hand-made seeds
# are written.
# Usage: fuzz/seeds.sh DIR
set -euo pipefail
dir=$1
mkdir -p "$dir"

# ---- Hand-made files -------------------------------------------------------------
byte() { printf '%b' "\\x$(printf %02x $(($1 & 255)))"; }
bytes() { local b; for b in "$@"; do byte "$b"; done; }
le16() { byte "$1"; byte $(($1 >> 8)); }
le32() { le16 $(($1 & 65535)); le16 $((($1 >> 16) & 65535)); }

# file_header TOTAL_SIZE PIXEL_OFFSET
file_header() { printf BM; le32 "$1"; le32 0; le32 "$2"; }
# info_header WIDTH HEIGHT BITS COMPRESSION COLOURS_USED
info_header() {
  le32 40; le32 "$1"; le32 "$2"; le16 1; le16 "$3"; le32 "$4"
  le32 0; le32 2835; le32 2835; le32 "$5"; le32 0
}
# core_header WIDTH HEIGHT BITS
core_header() { le32 12; le16 "$1"; le16 "$2"; le16 1; le16 "$3"; }
# table COUNT ENTRY_BYTES: distinct colours, blue green red (reserved)
table() {
  local i
  for ((i = 0; i < $1; i++)); do
    bytes $((i * 37)) $((i * 91 + 17)) $((255 - i * 13))
    [ "$2" -eq 4 ] && bytes 0
  done
  return 0
}
# with_header FILE: BM, then the rest read from stdin, the pixel offset given
with_header() {  # FILE PIXEL_OFFSET < rest
  local rest
  rest=$(mktemp)
  cat >"$rest"
  { file_header $((14 + $(stat -c %s "$rest"))) "$2"; cat "$rest"; } >"$dir/$1"
  rm -f "$rest"
}

# RLE4, 7 x 3: encoded runs (nibbles alternate), an absolute run of 3 (two
# bytes) and of 5 (three bytes and a pad byte), end of line, a delta, end of
# picture.
{ info_header 7 3 4 2 16; table 16 4
  bytes 3 0x12  0 3 0xAB 0xC0  1 0xF0  0 0
  bytes 0 5 0x12 0x34 0x50 0  2 0x77  0 0
  bytes 0 2 2 0  2 0x9E  0 1
} | with_header rle4.bmp $((14 + 40 + 64))

# RLE8, 6 x 4: an encoded run, an odd absolute run with its pad byte, end of
# line, a delta up and right, an even absolute run, a run past the row end,
# end of picture.
{ info_header 6 4 8 1 16; table 16 4
  bytes 2 5  0 3 7 8 9 0  0 0
  bytes 0 2 2 1  1 9  0 0
  bytes 0 4 1 2 3 4  9 3  0 1
} | with_header rle8-escapes.bmp $((14 + 40 + 64))

# Bare DIBs: no file header, the pixels right after the colour table (and
# after the masks for bit fields).
{ info_header 5 3 8 0 4; table 4 4
  bytes 0 1 2 3 0 0 0 0  3 2 1 0 3 0 0 0  1 1 2 2 3 0 0 0
} >"$dir/bare-pal8.bmp"
{ core_header 3 2 4; table 16 3; bytes 0x12 0x30 0 0 0xFE 0xD0 0 0; } >"$dir/bare-core4.bmp"
{ info_header 3 2 16 3 0; le32 0xF800; le32 0x07E0; le32 0x001F
  bytes 0xFF 0xFF 0x00 0xF8 0x1F 0x00 0 0  0xE0 0x07 0x10 0x84 0xEF 0x7B 0 0
} >"$dir/bare-bitfields565.bmp"
{ info_header 2 2 1 0 2; table 2 4; bytes 0x80 0 0 0 0x40 0 0 0; } >"$dir/bare-pal1.bmp"

# Top-down rows (negative height), 24 and 8 bits.
{ info_header 3 -3 24 0 0
  for row in 1 2 3; do bytes $((row * 10)) 1 2 3 4 5 6 7 $((row * 20)) 0 0 0; done
} | with_header topdown24.bmp 54
{ info_header 4 -2 8 0 3; table 3 4; bytes 0 1 2 1 2 1 0 7; } | with_header topdown-pal8.bmp 66

# Bit fields with their masks after the header: 16-bit 5-6-5 and 32-bit with
# red in the low byte; 16-bit BI_RGB (5-5-5, bit 15 ignored).
{ info_header 3 2 16 3 0; le32 0xF800; le32 0x07E0; le32 0x001F
  bytes 0xFF 0xFF 0x00 0xF8 0x1F 0x00 0 0  0xE0 0x07 0x10 0x84 0xEF 0x7B 0 0
} | with_header bitfields565.bmp 66
{ info_header 2 2 32 3 0; le32 0x000000FF; le32 0x0000FF00; le32 0x00FF0000
  bytes 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16
} | with_header bitfields32.bmp 66
{ info_header 3 2 16 0 0; bytes 0x10 0xFC 0x1F 0x02 0x55 0x55 0 0 0x00 0x80 0xFF 0x7F 0x21 0x04 0 0
} | with_header rgb555.bmp 54

# A colours-used count of 3 under 4 bits: indices past the table.
{ info_header 5 1 4 0 3; table 3 4; bytes 0x01 0x2F 0xE0 0; } | with_header short-table4.bmp 66

# A gap between the colour table and the pixels, obeyed through the offset.
{ info_header 2 1 8 0 2; table 2 4; bytes 0 0 0 0 0 0 0 0  1 0 0 0; } | with_header gap-pal8.bmp 70

# ---- ImageMagick's writers -------------------------------------------------------
if ! command -v convert >/dev/null; then
  echo "fuzz/seeds.sh: ImageMagick's convert is missing; only the hand-made seeds are written" >&2
  exit 0
fi
# name | output prefix | options | sizes
formats=(
  "rgb24|BMP3|-type TrueColor|1x1 3x2 13x7 16x16"
  "rgb32|BMP3|-alpha on -channel A -evaluate set 60% +channel -define bmp3:alpha=true|1x1 5x3 9x4"
  "rgb565|BMP3|-define bmp:subtype=RGB565|3x2 7x5"
  "rgb555|BMP3|-define bmp:subtype=RGB555|5x3"
  "pal8|BMP3|-type Palette -colors 200 -compress None|1x1 5x7 13x7"
  "pal4|BMP3|-type Palette -colors 12 -compress None|1x1 3x2 13x7"
  "pal1|BMP3|-type Palette -colors 2 -compress None|1x1 13x7 33x3"
  "bilevel|BMP3|-type Bilevel -compress None|9x5"
  "rle8|BMP3|-type Palette -colors 180 -compress RLE|5x7 13x7 2x45"
  "rle8few|BMP3|-type Palette -colors 9 -compress RLE|3x2 33x17"
  "core8|BMP2|-type Palette -colors 200 -compress None|1x1 5x7"
  "core4|BMP2|-type Palette -colors 14 -compress None|3x2 13x7"
  "core1|BMP2|-type Bilevel -compress None|13x7"
  "core24|BMP2|-type TrueColor|1x1 5x3 13x7"
  "v5-24|BMP|-type TrueColor|3x2"
)
seed=1
for entry in "${formats[@]}"; do
  IFS="|" read -r name prefix options sizes <<<"$entry"
  for size in $sizes; do
    # shellcheck disable=SC2086
    convert -size "$size" -seed "$seed" plasma: $options "$prefix:$dir/$name-$size.bmp"
    seed=$((seed + 1))
  done
done
