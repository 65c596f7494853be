# Ctrl+C or a polite kill closes the viewer the way its close button does: the
# window goes, the display mode would be given back, and the exit code is 0.
source "$HELIORA_E2E_LIB" "$@"

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
e2e_pass "SIGINT and SIGTERM (paused too) end the viewer through its close path, exit code 0"
