# The viewer opens one window titled "Heliora" with an 800 x 600 client area,
# its frame at the screen's top-left corner, draws the scene into it, tells which OpenGL it draws with,
# and its close button ends it with exit code 0.
source "$HELIORA_E2E_LIB" "$@"

e2e_start_xvfb 1024x768x24
e2e_start_viewer
e2e_wait_window Heliora
window=$E2E_WINDOW

e2e_expect_scene "at start" windowed

# Something other than the black background is drawn (the Sun at least).
sleep 1
e2e_screenshot "$E2E_DIR/window.png" "$window"
brightest=$(convert "$E2E_DIR/window.png" -colorspace Gray -format '%[fx:maxima*255]' info:)
[ "${brightest%.*}" -gt 64 ] || e2e_fail "the window is black (brightest grey $brightest)"

grep -q '^heliora: OpenGL .* on ' "$E2E_DIR/viewer.err" ||
  e2e_fail "no OpenGL vendor and renderer line on standard error"

e2e_close "$window"
e2e_expect_exit 0
e2e_pass "800 x 600 window, its frame at 0,0, with a picture; close button gives exit code 0"
