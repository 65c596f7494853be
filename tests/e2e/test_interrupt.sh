# Ctrl+C or a polite kill closes the viewer the way its close button does: the
# window goes, the display mode would be given back, and the exit code is 0.
# A display that goes away ends the viewer at once in every state (running,
# paused, a box or F1's question open), with one line saying so and exit code 1.
source "$HELIORA_E2E_LIB" "$@"

lose_display() {  # STATE: ends the X server under the viewer, then starts another
  kill -KILL "$E2E_XVFB_PID"
  wait "$E2E_XVFB_PID" 2>/dev/null
  e2e_wait_exit 3
  [ "$E2E_EXIT_CODE" = 1 ] || e2e_fail "$1: exit code $E2E_EXIT_CODE after the display was lost"
  [ "$(grep -c '^heliora: the display was lost\.$' "$E2E_DIR/viewer.err")" = 1 ] &&
    ! grep -q '^Orbisca: \|Assertion' "$E2E_DIR/viewer.err" ||
    e2e_fail "$1: standard error: $(cat "$E2E_DIR/viewer.err")"
  e2e_start_xvfb
}

e2e_start_xvfb
e2e_start_viewer
e2e_wait_window Heliora
kill -INT "$E2E_VIEWER_PID"
e2e_expect_exit 0 10
e2e_find_window Heliora >/dev/null && e2e_fail "the window outlived the viewer"

e2e_start_viewer
e2e_wait_window Heliora
e2e_wait_frame "$E2E_WINDOW"
e2e_focus "$E2E_WINDOW"
xdotool key space  # paused, the viewer waits for input, yet the signal still ends it
sleep 1
kill -TERM "$E2E_VIEWER_PID"
e2e_expect_exit 0 5

e2e_start_viewer
e2e_wait_window Heliora
e2e_wait_frame "$E2E_WINDOW"
lose_display running
e2e_start_viewer
e2e_wait_window Heliora
e2e_focus "$E2E_WINDOW"
xdotool key space
sleep 0.5
lose_display paused
e2e_start_viewer
e2e_wait_window Heliora
e2e_hold_key "$E2E_WINDOW" F1
e2e_wait_window Orbisca
lose_display "F1's question"
e2e_start_viewer
e2e_wait_window Heliora
e2e_wait_frame "$E2E_WINDOW"
e2e_click "$E2E_WINDOW" 400 300
e2e_wait_window "태양"
lose_display "the Sun's box"
e2e_pass "SIGINT and SIGTERM (paused too) end the viewer through its close path, exit code 0; a lost display ends it with 1"
