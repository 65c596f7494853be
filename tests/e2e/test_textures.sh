# Every body wears its own map: from the start, in both sphere modes (F5),
# and again in each new window after F1 (on a 1024 x 768 screen F1 asks
# "Orbisca" and Yes goes on in a new window, whose context loads the pictures
# anew). F3 takes the maps off and puts them back. Then, with Moon.bmp
# missing, the viewer says so in one "Error" box and, after OK, runs on with
# plain bodies in the mesh mode; the GLU spheres still wear the other maps.
source "$HELIORA_E2E_LIB" "$@"
source "$(dirname "$HELIORA_E2E_LIB")/pixels.sh"

png() { echo "$E2E_DIR/$1.png"; }

# The maps' colours: the Sun's yellow in the middle, Neptune's blue, the muted
# warm browns and yellows of Mercury, Venus, Mars, Jupiter and Saturn.
expect_textured() {  # WHEN FILE
  local sun warm blue coloured
  sun=$(px_colour "$2" 12x10+394+286)
  warm=$(($(px_tint "$2" R B) - $(px_tint "$2" R B 60x60+370+270)))
  blue=$(px_tint "$2" B R)
  coloured=$(px_chroma "$2")
  e2e_log "$1: Sun $sun; $warm warm pixels beside the Sun, $blue blue, $coloured coloured"
  px_expect_sun_map "$2" "$1"
  [ "$warm" -ge 20 ] && [ "$blue" -ge 20 ] ||
    e2e_fail "$1: $warm warm and $blue blue pixels; the planets do not wear their maps"
  [ "$coloured" -ge 1000 ] || e2e_fail "$1: only $coloured coloured pixels"
}

# Without maps the lit bodies are white shaded grey: no colour anywhere.
expect_plain() {  # WHEN FILE
  local coloured
  coloured=$(px_chroma "$2")
  e2e_log "$1: $coloured coloured pixels"
  [ "$coloured" -le 10 ] || e2e_fail "$1: $coloured coloured pixels, expected plain grey bodies"
  px_sun_drawn "$2" || e2e_fail "$1: no Sun drawn"
}

# F1 on a screen without the 800 x 600 mode: Yes to "Orbisca" gives a new window.
reopen() {
  local old=$window
  e2e_hold_key "$window" F1
  e2e_answer_box Orbisca Return
  e2e_wait_window Heliora
  window=$E2E_WINDOW
  [ "$window" != "$old" ] || e2e_fail "F1 left the same window"
}

e2e_start_xvfb 1024x768x24
e2e_start_viewer
e2e_wait_window Heliora
window=$E2E_WINDOW
px_wait_drawn "$window" "$(png mesh)"
expect_textured "mesh spheres at start" "$(png mesh)"

e2e_hold_key "$window" F3
px_wait_change "$window" "$(png mesh)" "$(png mesh-plain)" $PX_SUN_TOP
sleep 0.3
e2e_screenshot "$(png mesh-plain)" "$window"
expect_plain "F3" "$(png mesh-plain)"
e2e_hold_key "$window" F3
px_wait_equal "$window" "$(png mesh)" "$(png mesh-again)" $PX_SUN_TOP
expect_textured "second F3" "$(png mesh-again)"

e2e_hold_key "$window" F5
px_wait_change "$window" "$(png mesh)" "$(png quadric)" $PX_SUN_TOP
expect_textured "GLU spheres" "$(png quadric)"
e2e_hold_key "$window" F3
px_wait_change "$window" "$(png quadric)" "$(png quadric-plain)" $PX_SUN_TOP
sleep 0.3
e2e_screenshot "$(png quadric-plain)" "$window"
expect_plain "GLU spheres, F3" "$(png quadric-plain)"
e2e_hold_key "$window" F3
px_wait_equal "$window" "$(png quadric)" "$(png quadric-again)" $PX_SUN_TOP

reopen
px_wait_equal "$window" "$(png quadric)" "$(png quadric-reopened)" $PX_SUN_TOP
expect_textured "GLU spheres after F1" "$(png quadric-reopened)"
e2e_hold_key "$window" F5
px_wait_equal "$window" "$(png mesh)" "$(png mesh-reopened)" $PX_SUN_TOP
expect_textured "mesh spheres after F1" "$(png mesh-reopened)"
reopen
px_wait_equal "$window" "$(png mesh)" "$(png mesh-reopened-twice)" $PX_SUN_TOP
expect_textured "mesh spheres after the second F1" "$(png mesh-reopened-twice)"
e2e_close "$window"
e2e_expect_exit 0

# --- One picture missing ----------------------------------------------------------------
e2e_start_viewer Moon.bmp
e2e_answer_box Error Return
e2e_wait_window Heliora
window=$E2E_WINDOW
px_wait_drawn "$window" "$(png missing)"
px_wait_change "$window" "$(png missing)" "$(png missing-running)"
expect_plain "mesh spheres without Moon.bmp" "$(png missing-running)"
e2e_find_window Error >/dev/null && e2e_fail "a second \"Error\" box for one missing picture"
e2e_hold_key "$window" F5
px_wait_change "$window" "$(png missing-running)" "$(png missing-quadric)" $PX_SUN_TOP
sleep 0.3
e2e_screenshot "$(png missing-quadric)" "$window"
px_expect_sun_map "$(png missing-quadric)" "GLU spheres without Moon.bmp"
px_wait_change "$window" "$(png missing-quadric)" "$(png missing-quadric-running)"
e2e_close "$window"
e2e_expect_exit 0
e2e_pass "maps from the start, in both modes, after F3 and F1; a missing picture is reported once"
