# On an 800 x 600 screen the 800 x 600 mode exists: F1 gives a full-screen
# window of that size, with the cursor hidden and without any question, and F1
# again brings back the 800 x 600 window with its cursor; the close button then
# ends the viewer with exit code 0. Under Wayland F1 goes up only as its
# window goes: SDL's own key repeat must not go on in the next window. (On X
# and Windows a key held past the repeat delay repeats into the next window,
# as it should: there F1 is tapped.)
# (On an 800 x 600 screen Windows cuts a framed window to fit: see e2e_expect_scene.)
source "$HELIORA_E2E_LIB" "$@"

expect_heliora() {  # WHEN full|windowed
  e2e_wait_window Heliora
  local cursor
  e2e_expect_scene "$1" "$2"
  # Without a window manager nothing frames or moves windows, so a full-screen
  # window is told apart by its hidden cursor (and by no question being asked).
  cursor=$(e2e_cursor_over "$E2E_WINDOW")
  case "$2:$cursor" in
    full:hidden | windowed:shown) ;;
    *) e2e_fail "$1: the cursor is \"$cursor\" over a $2 window" ;;
  esac
}

f1_until_gone() {  # ID
  if [ "$E2E_WAYLAND" = 1 ]; then
    e2e_focus "$1"
    e2e_key_down F1
    e2e_wait_window_gone "$1"
    e2e_key_up F1
  else
    e2e_hold_key "$1" F1
    e2e_wait_window_gone "$1"
  fi
}

e2e_start_xvfb 800x600x24
e2e_start_viewer
expect_heliora "at start" windowed
first=$E2E_WINDOW

f1_until_gone "$first"
expect_heliora "after F1" full
e2e_find_window Orbisca >/dev/null && e2e_fail "the display has the mode, yet the viewer asked"
sleep 2  # past the auto-repeat delay
e2e_screenshot "$E2E_DIR/fullscreen.png"
[ "$(e2e_find_window Heliora)" = "$E2E_WINDOW" ] || e2e_fail "F1 went on repeating after its window"
second=$E2E_WINDOW

f1_until_gone "$second"
expect_heliora "after the second F1" windowed

e2e_close "$E2E_WINDOW"
e2e_expect_exit 0
e2e_pass "F1 switches to an 800 x 600 full-screen window and back"
