# One scenario, run against the Linux viewer and against the Windows viewer
# under Wine ($1 is the program): both must show the same windows with the same
# captions and end with the same exit codes.
#  - an 800 x 600 client area titled "Heliora", the bodies wearing their maps;
#  - a click on the Sun opens "태양", whose text is drawn in Hangul glyphs;
#  - F1 on a 1024 x 768 screen asks "Orbisca": Yes gives the window back; Esc
#    does not answer (our own box); No shows "ERROR" ("Program Will Now Close.") alone and
#    ends with 0;
#  - a held Esc ends with 27, the close button with 0.
source "$HELIORA_E2E_LIB" "$@"
source "$(dirname "$HELIORA_E2E_LIB")/pixels.sh"

png() { echo "$E2E_DIR/$1.png"; }

expect_heliora() {  # WHEN
  local x y width height
  e2e_wait_window Heliora 90  # a new Wine prefix takes its time
  window=$E2E_WINDOW
  read -r x y width height <<<"$(e2e_geometry "$window")"
  [ "$width x $height" = "800 x 600" ] || e2e_fail "$1: client area $width x $height, expected 800 x 600"
  [ -z "$(e2e_other_windows)" ] || e2e_fail "$1: other windows open: $(e2e_other_windows | tr '\n' ' ')"
}

# Lines 5 and 6 of the Sun's box begin "자전주기" and "공전주기": Hangul glyphs
# differ in their first syllable, where missing glyphs would be alike (empty
# boxes) or absent.
expect_hangul_box() {
  local lines ink differ
  e2e_screenshot "$(png box)" "$E2E_WINDOW"
  # Ink: whatever differs from the box's own background; the six lines of text
  # come first, then the button.
  convert "$(png box)" -fuzz 15% -fill black \
    -opaque "$(convert "$(png box)" -format '%[pixel:p{4,4}]' info:)" -fill white +opaque black \
    "$(png box-ink)"
  lines=$(px_text_heads "$(png box-ink)" "$(png line5)" "$(png line6)")
  [ "$(wc -l <<<"$lines")" -ge 7 ] || e2e_fail "the Sun's box text is not six lines: $(tr '\n' ' ' <<<"$lines")"
  ink=$(convert "$(png line5)" -format '%[fx:round(mean*w*h)]' info:)
  differ=$(px_diff "$(png line5)" "$(png line6)")
  e2e_log "Sun's box: lines 5 and 6 start with $ink pixels of ink, $differ differ"
  [ "$ink" -ge 60 ] && [ "$differ" -ge 15 ] || e2e_fail "no Hangul in the Sun's box ($ink ink, $differ differ)"
}

E2E_RUN_DIR="태양계 그림"  # a pictures folder named in Hangul, with a space
e2e_start_xvfb 1024x768x24
e2e_start_viewer
expect_heliora "at start"
px_wait_drawn "$window" "$(png start)" 30
sleep 0.5
e2e_screenshot "$(png start)" "$window"
px_expect_sun_map "$(png start)" "at start"
[ "$(px_chroma "$(png start)")" -ge 1000 ] || e2e_fail "the bodies wear no maps"

e2e_click "$window" 400 300
e2e_wait_window "태양"
sleep 0.5  # the box draws itself after it is mapped
expect_hangul_box
e2e_answer_box "태양" Return

e2e_hold_key "$window" F1
e2e_answer_box Orbisca Return
expect_heliora "after Yes"
e2e_wait_frame "$window" 30
e2e_hold_key "$window" F1
# A Yes/No question has no Cancel: on Windows Esc leaves it open, and so must
# our own box. Wine's box answers it No on Esc (Wine 8.0 on Debian 12 as well
# as Wine 10 on Debian 13), so the step checks the Linux viewer only.
if [ "$E2E_WINE" = 0 ]; then
  e2e_box_key Orbisca Escape
  sleep 1
  e2e_find_window Orbisca >/dev/null || e2e_fail "Esc answered the Orbisca question"
fi
e2e_answer_no Orbisca
e2e_wait_window ERROR
[ "$(e2e_other_windows)" = ERROR ] || e2e_fail "after No: windows $(e2e_other_windows | tr '\n' ' ')"
e2e_find_window Heliora >/dev/null && e2e_fail "a Heliora window is open beside the ERROR box"
e2e_answer_box ERROR Return
e2e_expect_exit 0 30

e2e_start_viewer
expect_heliora "second start"
e2e_focus "$window"
e2e_wait_frame "$window" 30  # see test_escape.sh: no late paint message after Esc
e2e_key_down Escape
e2e_expect_exit 27 30
e2e_key_up Escape

e2e_start_viewer
expect_heliora "third start"
px_wait_drawn "$window" "$(png third)" 30
e2e_close "$window"
e2e_expect_exit 0 30
e2e_pass "same windows, captions and exit codes: map, Hangul box, Orbisca Yes and No, Esc 27, close 0"
