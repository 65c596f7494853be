# On a 1024 x 768 screen there is no 800 x 600 mode: F1 asks "Orbisca" whether
# to go on in a window. Yes (the default, Return) brings back a windowed
# 800 x 600 "Heliora" window at 0,0; the next F1 asks again, and No (clicked)
# shows "Program Will Now Close." under "ERROR", after which the viewer ends
# with exit code 0.
source "$HELIORA_E2E_LIB" "$@"

expect_windowed_heliora() {
  e2e_wait_window Heliora
  local x y width height
  read -r x y width height <<<"$(e2e_geometry "$E2E_WINDOW")"
  [ "$width x $height at $x,$y" = "800 x 600 at 0,0" ] ||
    e2e_fail "$1: window is $width x $height at $x,$y, expected 800 x 600 at 0,0"
  case "$(e2e_window_state "$E2E_WINDOW")" in
    *FULLSCREEN*) e2e_fail "$1: the window is full screen" ;;
  esac
}

e2e_start_xvfb 1024x768x24
e2e_start_viewer
expect_windowed_heliora "at start"

e2e_hold_key "$E2E_WINDOW" F1
e2e_wait_window Orbisca
e2e_screenshot "$E2E_DIR/question.png"
e2e_answer_box Orbisca Return
expect_windowed_heliora "after Yes"

e2e_hold_key "$E2E_WINDOW" F1
e2e_click_box_button Orbisca 1 2
e2e_wait_window ERROR
e2e_screenshot "$E2E_DIR/closing.png"
e2e_find_window Heliora >/dev/null && e2e_fail "a Heliora window is open beside the ERROR box"
e2e_answer_box ERROR Return
e2e_expect_exit 0
e2e_pass "refused full screen: Yes goes on in a window, No closes with exit code 0"
