# The keys that end the viewer. Alt+F4 is a system key, left to the default
# handling, which closes the window: exit code 0. A held Esc ends the viewer at
# the next idle pass; the exit code is the wParam of the last message taken
# before that pass: for a held Esc, the key-down of Esc itself, 27.
source "$HELIORA_E2E_LIB" "$@"

e2e_start_xvfb
e2e_start_viewer
e2e_wait_window Heliora
e2e_focus "$E2E_WINDOW"
e2e_key alt+F4
e2e_expect_exit 0 10

e2e_start_viewer
e2e_wait_window Heliora
e2e_focus "$E2E_WINDOW"
# A frame drawn after the focusing click: every message before Esc is taken
# (a late paint message, taken last, would make the exit code its 0).
e2e_wait_frame "$E2E_WINDOW"
e2e_key_down Escape
e2e_expect_exit 27 10
e2e_key_up Escape
e2e_pass "Alt+F4 gives exit code 0, held Esc 27"
