# A click on the Sun (the centre of the window) opens its information box,
# owned by the scene window and captioned "태양". The box is drawn with Hangul
# glyphs (not Latin stand-ins) even when the environment's locale is plain C.
# OK closes it, and the model moves on. A click on empty space opens no box
# and the model runs on.
source "$HELIORA_E2E_LIB" "$@"
source "$(dirname "$HELIORA_E2E_LIB")/pixels.sh"

png() { echo "$E2E_DIR/$1.png"; }

export LC_ALL=C LANG=C
unset LC_CTYPE
e2e_start_xvfb
e2e_start_viewer
e2e_wait_window Heliora
window=$E2E_WINDOW
px_wait_drawn "$window" "$(png start)"

# Empty space (the top-left corner holds neither body nor ring): no box. A box
# is modal, so a picture that moves on after the click shows that none came.
e2e_click "$window" 30 30
sleep 0.3
e2e_screenshot "$(png after-empty-click)" "$window"
px_wait_change "$window" "$(png after-empty-click)" "$(png running)"
[ -z "$(e2e_other_windows)" ] || e2e_fail "a click on empty space opened \"$(e2e_other_windows)\""

# Clicks the Sun, checks its box's text and cuts out the starts of the last
# two lines, "자전주기 : 25.4일" and "공전주기 : -": four Hangul syllables each,
# whose first three glyph widths go to NAME-5.png and NAME-6.png.
open_sun_box() {  # NAME
  local ink lines
  e2e_click "$window" 400 300
  e2e_wait_window "태양"
  sleep 0.5  # the box draws itself after it is mapped
  e2e_screenshot "$(png "$1")"
  if [ "$E2E_WAYLAND" = 1 ]; then  # zenity's box: dark text on a light face, laid out by GTK
    e2e_screenshot "$(png "$1")" "$E2E_WINDOW"
    ink=$(convert "$(png "$1")" -colorspace Gray -threshold 50% -negate -format '%[fx:round(mean*w*h)]' info:)
    [ "$ink" -ge 700 ] || e2e_fail "$1: the Sun's box shows almost no text ($ink pixels of ink)"
    return 0
  fi
  # Under a C character type the box cannot convert its UTF-8 text and draws
  # none of it; drawn, the six lines leave about 1400 pixels of text colour
  # above the button.
  e2e_box_ink "$(png "$1")" "$(png "$1-ink")"
  ink=$(convert "$(png "$1-ink")" -format '%[fx:round(mean*w*h)]' info:)
  [ "$ink" -ge 700 ] || e2e_fail "$1: the Sun's box shows almost no text ($ink pixels of ink)"
  lines=$(px_text_heads "$(png "$1-ink")" "$(png "$1-5")" "$(png "$1-6")")
  [ "$(wc -l <<<"$lines")" -eq 6 ] || e2e_fail "$1: the box's text is not six lines: $(tr '\n' ' ' <<<"$lines")"
}

open_sun_box sun-box
# Dense glyphs that differ by the first syllable (stand-in boxes would not).
[ "$E2E_WAYLAND" = 1 ] || {
ink5=$(convert "$(png sun-box-5)" -format '%[fx:round(mean*w*h)]' info:)
ink6=$(convert "$(png sun-box-6)" -format '%[fx:round(mean*w*h)]' info:)
differ=$(px_diff "$(png sun-box-5)" "$(png sun-box-6)")
e2e_log "Hangul at the start of lines 5 and 6: $ink5 and $ink6 pixels of ink, $differ differ"
[ "$ink5" -ge 60 ] && [ "$ink6" -ge 60 ] && [ "$differ" -ge 15 ] ||
  e2e_fail "no Hangul glyphs in the box: $ink5 and $ink6 pixels of ink, $differ differ"
}

e2e_answer_box "태양" Return
kill -0 "$E2E_VIEWER_PID" || e2e_fail "the viewer ended with the box"
e2e_screenshot "$(png after-box)" "$window"
px_wait_change "$window" "$(png after-box)" "$(png moving-again)"
px_wait_change "$window" "$(png moving-again)" "$(png moving-on)"
e2e_close "$window"
e2e_expect_exit 0

# The same box on a server without Hangul fonts draws Latin stand-ins in the
# same places: the glyphs above must not look like them. (Wine draws with its
# own fonts, not the server's: empty boxes for missing glyphs, which look alike.)
[ "$E2E_WINE" = 0 ] || e2e_pass "the Sun's box shows Hangul under a C locale; an empty click opens none"
e2e_stop_display
E2E_FONTS=latin e2e_start_xvfb
e2e_start_viewer
e2e_wait_window Heliora
window=$E2E_WINDOW
px_wait_drawn "$window" "$(png latin-start)"
open_sun_box latin-box
if [ "$E2E_WAYLAND" = 1 ]; then
  differ=$(px_diff "$(png sun-box)" "$(png latin-box)")
  e2e_log "$differ pixels differ from the box without Korean fonts"
  [ "$differ" -ge 30 ] || e2e_fail "the box looks like the one without Korean fonts ($differ pixels differ)"
fi
[ "$E2E_WAYLAND" = 1 ] || for line in 5 6; do
  differ=$(px_diff "$(png sun-box-$line)" "$(png latin-box-$line)")
  e2e_log "line $line: $differ pixels differ from the Latin stand-ins"
  [ "$differ" -ge 30 ] || e2e_fail "line $line of the box looks like Latin stand-ins ($differ pixels differ)"
done
e2e_answer_box "태양" Return
e2e_close "$window"
e2e_expect_exit 0
e2e_pass "the Sun's box shows Hangul under a C locale; an empty click opens none"
