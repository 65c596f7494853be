# Without any display the viewer cannot open its window: it says why on
# standard error, shows "Window Creation Error." there too (no box can be
# shown) and ends with exit code 0 instead of running unseen.
source "$HELIORA_E2E_LIB" "$@"

unset DISPLAY WAYLAND_DISPLAY
unset SDL_VIDEODRIVER
e2e_start_viewer
e2e_expect_exit 0 20

grep -q '^heliora: cannot open a window: .*Is DISPLAY set?$' "$E2E_DIR/viewer.err" ||
  e2e_fail "no clear reason on standard error"
grep -qx 'ERROR: Window Creation Error.' "$E2E_DIR/viewer.err" ||
  e2e_fail "the \"Window Creation Error.\" message did not reach standard error"
[ "$(grep -c 'cannot open a window' "$E2E_DIR/viewer.err")" = 1 ] ||
  e2e_fail "the reason was printed more than once"
e2e_pass "no display: clear message, exit code 0"
