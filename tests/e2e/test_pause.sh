# A paused viewer goes on drawing its still picture: it stays the same from
# second to second, F4 shows outlines at once (and F4 again the very same
# filled picture), and F1 (Yes to "Orbisca" on a 1024 x 768 screen) gives a
# new window that shows the same still scene, not a black one. Space then
# sets the bodies going again.
source "$HELIORA_E2E_LIB" "$@"
source "$(dirname "$HELIORA_E2E_LIB")/pixels.sh"

png() { echo "$E2E_DIR/$1.png"; }
shot() { e2e_screenshot "$(png "$1")" "$window"; }
readonly SUN_DISC=24x24+388+288  # inside the Sun's disc

e2e_start_xvfb 1024x768x24
e2e_start_viewer
e2e_wait_window Heliora 90  # a new Wine prefix takes its time
window=$E2E_WINDOW
px_wait_drawn "$window" "$(png start)" 30
px_wait_change "$window" "$(png start)" "$(png running)"

e2e_focus "$window"
xdotool key space
px_wait_still "$window" "$(png paused)"
sleep 1
shot paused-later
[ "$(px_diff "$(png paused)" "$(png paused-later)")" -eq 0 ] || e2e_fail "the picture moved while paused"

e2e_hold_key "$window" F4
px_wait_change "$window" "$(png paused)" "$(png outlines)" $PX_SUN_TOP 5
sleep 0.3
shot outlines
filled=$(px_fill "$(png paused)" $SUN_DISC)
outlined=$(px_fill "$(png outlines)" $SUN_DISC)
e2e_log "Sun's disc lit while paused: $filled filled, $outlined outlined"
awk -v f="$filled" -v o="$outlined" 'BEGIN { exit !(o <= 0.85 * f) }' ||
  e2e_fail "F4 while paused: the Sun's disc is $outlined lit against $filled filled"
e2e_hold_key "$window" F4
px_wait_equal "$window" "$(png paused)" "$(png filled-again)" "" 5

e2e_hold_key "$window" F1
e2e_answer_box Orbisca Return
e2e_wait_window Heliora
[ "$E2E_WINDOW" != "$window" ] || e2e_fail "F1 left the same window"
window=$E2E_WINDOW
px_wait_equal "$window" "$(png paused)" "$(png reopened)" "" 10
sleep 1
shot reopened-later
[ "$(px_diff "$(png paused)" "$(png reopened-later)")" -eq 0 ] || e2e_fail "the new window's picture moved while paused"

e2e_focus "$window"
xdotool key space
px_wait_change "$window" "$(png paused)" "$(png resumed)" "" 5
e2e_close "$window"
e2e_expect_exit 0 30
e2e_pass "paused: a still picture; F4 shows at once; F1 gives the same scene; Space resumes"
