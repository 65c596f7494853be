# Pixel measurements for the end-to-end scripts: ImageMagick over screenshots
# of the 800 x 600 scene window. Source it after lib.sh:
#
#   source "$(dirname "$HELIORA_E2E_LIB")/pixels.sh"
#
# Geometry of the default view (zoom 1, pitch 22.5): the Sun is a disc of
# radius 20 round the window's centre (400, 300); bodies in front of it pass
# below the centre, so the band just above the centre shows the Sun alone.
# Orbit rings are faint (lit edge-on, sub-pixel wide); bodies are bright.
#
# Measurements (FILE is a PNG, GEOMETRY an ImageMagick region such as 24x14+388+284)
#   px_diff A B [GEOMETRY]     number of pixels that differ (in the region)
#   px_box FILE [PERCENT]      "W H X Y": bounding box of the pixels whose grey
#                              exceeds PERCENT (default 2: rings included)
#   px_blobs FILE              bright blobs (grey above 25 %, 15 pixels or more),
#                              one "CX CY AREA" line each, largest first
#   px_blob_shift A B          "MATCHED TOTAL MAXSHIFT": how many of A's blobs of
#                              30 pixels or more have a blob of like area in B, and
#                              the largest distance (pixels) between matched centres
#   px_colour FILE GEOMETRY    mean "R G B" of the region, each 0 to 255
#   px_fill FILE GEOMETRY      fraction (0 to 1) of the region brighter than 30 % grey
#   px_chroma FILE [GEOMETRY]  number of coloured pixels (chroma above 12 %):
#                              0 for a picture in greys only
#   px_tint FILE A B [GEOM]    number of pixels whose channel A (R, G or B) exceeds
#                              their channel B by more than 25 %
#   px_text_heads INK A B      INK is white text on black: its runs of inked rows
#                              (text lines), one "TOP HEIGHT" line each; the starts
#                              of lines 5 and 6 (three and a half glyph heights
#                              wide, from the left end of line 6) go to A and B
# Waiting (screenshots of window ID into OUT; every wait has a hang guard of
# S seconds, default 15, and fails the test when it runs out)
#   px_wait_drawn ID OUT [S]               until the Sun is drawn at the centre
#   px_wait_change ID REF OUT [GEOM] [S]   until OUT differs from REF (in the region)
#   px_wait_equal ID REF OUT [GEOM] [S]    until OUT equals REF (in the region)
#   px_wait_still ID OUT [S]               until two screenshots in a row are equal

readonly PX_SUN_TOP=24x14+388+284  # inside the Sun's disc, above its centre

px_diff() {  # A B [GEOMETRY]
  local region=${3:+[$3]}
  # AE prints the count on standard error; a size mismatch prints an error instead
  compare -metric AE "$1$region" "$2$region" null: 2>&1 | awk '/^[0-9.e+]+$/ { print int($1); ok = 1 } END { if (!ok) print 999999 }'
}

px_box() {  # FILE [PERCENT]
  convert "$1" -colorspace Gray -threshold "${2:-2}%" -format '%@' info: 2>/dev/null |
    awk -F'[x+]' '{ print $1, $2, $3, $4 }'
}

px_blobs() {  # FILE
  convert "$1" -colorspace Gray -threshold 25% \
    -define connected-components:verbose=true -define connected-components:area-threshold=15 \
    -connected-components 8 null: 2>/dev/null |
    awk '$NF != "gray(0)" && $2 ~ /x/ { split($3, c, ","); print c[1], c[2], $4 }' | sort -k3,3nr
}

px_blob_shift() {  # A B
  awk '
    FNR == 1 { file++ }
    file == 1 && $3 >= 30 { ax[++na] = $1; ay[na] = $2; aa[na] = $3 }
    file == 2 { bx[++nb] = $1; by[nb] = $2; ba[nb] = $3 }
    END {
      matched = 0; worst = 0
      for (i = 1; i <= na; i++) {
        best = -1
        for (j = 1; j <= nb; j++) {
          if (ba[j] < 0.6 * aa[i] || ba[j] > 1.6 * aa[i]) continue
          d = sqrt((ax[i] - bx[j]) ^ 2 + (ay[i] - by[j]) ^ 2)
          if (best < 0 || d < best) best = d
        }
        if (best >= 0) { matched++; if (best > worst) worst = best }
      }
      printf "%d %d %.1f\n", matched, na, worst
    }' <(px_blobs "$1") <(px_blobs "$2")
}

px_colour() {  # FILE GEOMETRY
  convert "$1[$2]" -format '%[fx:round(mean.r*255)] %[fx:round(mean.g*255)] %[fx:round(mean.b*255)]' info:
}

px_fill() {  # FILE GEOMETRY
  convert "$1[$2]" -colorspace Gray -threshold 30% -format '%[fx:mean]' info:
}

px_chroma() {  # FILE [GEOMETRY]
  local region=${2:+[$2]}
  convert "$1$region" -colorspace HCL -channel G -separate +channel -threshold 12% \
    -format '%[fx:round(mean*w*h)]' info:
}

px_tint() {  # FILE A B [GEOMETRY]
  local region=${4:+[$4]}
  convert "$1$region" \( -clone 0 -channel "$2" -separate \) \( -clone 0 -channel "$3" -separate \) \
    -delete 0 +channel -compose MinusSrc -composite -threshold 25% -format '%[fx:round(mean*w*h)]' info:
}

px_text_heads() {  # INK A B
  local height lines top5 high5 top6 high6 left span
  height=$(convert "$1" -format '%h' info:)
  lines=$(convert "$1" -scale "1x$height!" -threshold 0 txt:- | awk -F'[,: ]+' '
    NR > 1 { on = ($0 ~ /#FFFFFF|white/) }
    NR > 1 && on && !prev { start = $2 }
    NR > 1 && !on && prev { print start, $2 - start }
    NR > 1 { prev = on }')
  echo "$lines"
  [ "$(wc -l <<<"$lines")" -ge 6 ] || return 0
  read -r top5 high5 < <(sed -n 5p <<<"$lines")
  read -r top6 high6 < <(sed -n 6p <<<"$lines")
  left=$(convert "$1[$(convert "$1" -format '%w' info:)x$high6+0+$top6]" -format '%@' info: |
    awk -F'[x+]' '{ print $3 }')
  span=$((high6 * 7 / 2))
  convert "$1[${span}x$high5+$left+$top5]" +repage "$2"
  convert "$1[${span}x$high6+$left+$top6]" +repage "$3"
}

px_expect_sun_map() {  # FILE WHEN: the Sun's pale yellow map at the centre, not the grey of a plain body
  local r g b
  read -r r g b <<<"$(px_colour "$1" 12x10+394+286)"
  [ "$r" -ge 200 ] && [ "$((r - b))" -ge 50 ] || e2e_fail "$2: the Sun is $r $g $b, not its yellow map"
}

px_sun_drawn() {  # FILE: a bright blob covers the centre
  [ "$(convert "$1[8x8+396+296]" -colorspace Gray -format '%[fx:mean>0.25]' info: 2>/dev/null)" = 1 ]
}

px_wait_drawn() {  # ID OUT [SECONDS]
  local i
  for i in $(seq $((${3:-15} * 5))); do
    e2e_screenshot "$2" "$1" && px_sun_drawn "$2" && return 0
    sleep 0.2
  done
  e2e_fail "no Sun at the window's centre within ${3:-15} s"
}

px_wait_change() {  # ID REF OUT [GEOMETRY] [SECONDS]
  local i
  for i in $(seq $((${5:-15} * 5))); do
    e2e_screenshot "$3" "$1" && [ "$(px_diff "$2" "$3" "${4:-}")" -gt 0 ] && return 0
    sleep 0.2
  done
  e2e_fail "the picture${4:+ in $4} did not change within ${5:-15} s"
}

px_wait_equal() {  # ID REF OUT [GEOMETRY] [SECONDS]
  local i
  for i in $(seq $((${5:-15} * 5))); do
    e2e_screenshot "$3" "$1" && [ "$(px_diff "$2" "$3" "${4:-}")" -eq 0 ] && return 0
    sleep 0.2
  done
  e2e_fail "the picture${4:+ in $4} did not come back to $(basename "$2") within ${5:-15} s"
}

px_wait_still() {  # ID OUT [SECONDS]
  local i previous="$2.previous.png"
  e2e_screenshot "$previous" "$1"
  for i in $(seq $((${3:-15} * 5))); do
    sleep 0.2
    e2e_screenshot "$2" "$1" && [ "$(px_diff "$previous" "$2")" -eq 0 ] && return 0
    cp "$2" "$previous"
  done
  e2e_fail "the picture did not stand still within ${3:-15} s"
}
