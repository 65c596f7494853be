# A click on the Sun (the centre of the window) opens its information box,
# owned by the scene window and captioned "태양". The box is drawn with Hangul
# glyphs even when the environment's locale is plain C. OK closes it, and the
# viewer goes on.
source "$HELIORA_E2E_LIB" "$@"

readonly E2E_TEXT_COLOUR='#d1cfcd'  # SDL's default box text

export LC_ALL=C LANG=C
unset LC_CTYPE
e2e_start_xvfb
e2e_start_viewer
e2e_wait_window Heliora
window=$E2E_WINDOW
e2e_click "$window" 400 300
e2e_wait_window "태양"
box=$E2E_WINDOW
sleep 0.5  # the box draws itself after it is mapped
e2e_screenshot "$E2E_DIR/sun-box.png"

# Under a C character type the box cannot convert its UTF-8 text and draws
# none of it; drawn, the six lines leave about 1400 pixels of text colour above
# the button.
read -r x y width height <<<"$(e2e_geometry "$box")"
ink=$(convert "$E2E_DIR/sun-box.png" -crop "${width}x$((height - 50))+$x+$y" +repage \
  -fuzz 10% -fill white -opaque "$E2E_TEXT_COLOUR" -fill black +opaque white \
  -format '%[fx:round(mean*w*h)]' info:)
[ "$ink" -ge 700 ] || e2e_fail "the Sun's box shows almost no text ($ink pixels of ink)"

e2e_answer_box "태양" Return
kill -0 "$E2E_VIEWER_PID" || e2e_fail "the viewer ended with the box"
e2e_close "$window"
e2e_expect_exit 0
e2e_pass "the Sun's box shows Hangul under a C locale"
