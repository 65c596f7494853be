# A held Esc ends the viewer at the next idle pass. The exit code is the wParam
# of the last message taken before that pass: for a held Esc, the key-down of
# Esc itself, 27.
source "$HELIORA_E2E_LIB" "$@"

e2e_start_xvfb
e2e_start_viewer
e2e_wait_window Heliora
e2e_focus "$E2E_WINDOW"
e2e_key_down Escape
e2e_expect_exit 27 10
e2e_key_up Escape
e2e_pass "held Esc gives exit code 27"
