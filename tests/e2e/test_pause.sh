# Running, the viewer presents about one frame per display refresh (at most 75
# a second: Xvfb has no vertical sync, and a swap interval that is granted
# without waiting must not let it run free). Paused, it keeps its still picture
# and rests: the picture stays the same from second to second at a small
# fraction of the processor time it took running, a window mapped over it and
# removed again leaves it as it was, F4 shows outlines at once (and F4 again
# the very same filled picture), and F1 (Yes to "Orbisca" on a 1024 x 768
# screen) gives a new window that shows the same still scene, not a black one.
# Space then sets the bodies going again.
source "$HELIORA_E2E_LIB" "$@"
source "$(dirname "$HELIORA_E2E_LIB")/pixels.sh"

png() { echo "$E2E_DIR/$1.png"; }
shot() { e2e_screenshot "$(png "$1")" "$window"; }
readonly SUN_DISC=24x24+388+288  # inside the Sun's disc
readonly SPAN=3                  # seconds over which frames and processor time are counted

# "PROCESSOR_MS FRAMES" of the viewer over the next SPAN seconds.
cost() {
  local ms frames
  ms=$(e2e_cpu_ms) frames=$(e2e_swaps)
  sleep "$SPAN"
  echo $(($(e2e_cpu_ms) - ms)) $(($(e2e_swaps) - frames))
}

# A Wayland window goes full screen at any screen size, scaled to it: there an
# 800 x 600 output shows F1's picture unscaled, to be compared.
if [ "$E2E_WAYLAND" = 1 ]; then e2e_start_xvfb 800x600x24; else e2e_start_xvfb 1024x768x24; fi
e2e_start_counted_viewer
e2e_wait_window Heliora 90  # a new Wine prefix takes its time
window=$E2E_WINDOW
px_wait_drawn "$window" "$(png start)" 30
px_wait_change "$window" "$(png start)" "$(png running)"
read -r running_ms frames <<<"$(cost)"
e2e_log "running: $frames frames, $running_ms ms of processor time in $SPAN s"
[ "$frames" -ge "$SPAN" ] && [ "$frames" -le $((SPAN * 75)) ] ||
  e2e_fail "running: $frames frames in $SPAN s, expected one per display refresh (at most 75 a second)"

e2e_focus "$window"
e2e_key space
px_wait_still "$window" "$(png paused)"
read -r paused_ms frames <<<"$(cost)"
e2e_log "paused: $frames frames, $paused_ms ms of processor time in $SPAN s"
[ "$frames" -le 2 ] && [ $((paused_ms * 5)) -le "$running_ms" ] ||
  e2e_fail "paused: $frames frames and $paused_ms ms of processor time (running: $running_ms ms)"
shot paused-later
[ "$(px_diff "$(png paused)" "$(png paused-later)")" -eq 0 ] || e2e_fail "the picture moved while paused"

# Another window over the scene, then gone: what it hid is drawn again. (The
# pointer stays off it: coming back into the scene it would be a message.)
# A Wayland compositor keeps each window's picture: nothing is drawn again.
[ "$E2E_WAYLAND" = 1 ] || {
e2e_move_pointer 1000 700
xmessage -geometry 300x200+250+200 -title Cover "over the scene" &
cover=$!
e2e_wait_window Cover
shot covered
[ "$(px_diff "$(png paused)" "$(png covered)")" -gt 0 ] || e2e_fail "the window did not cover the scene"
kill "$cover"
e2e_wait_no_window Cover
px_wait_equal "$window" "$(png paused)" "$(png uncovered)" "" 5
}

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
[ "$E2E_WAYLAND" = 1 ] || E2E_ANIMATING=0 e2e_answer_box Orbisca Return  # no new frame comes while paused
e2e_wait_window Heliora
[ "$E2E_WINDOW" != "$window" ] || e2e_fail "F1 left the same window"
window=$E2E_WINDOW
px_wait_equal "$window" "$(png paused)" "$(png reopened)" "" 10
sleep 1
shot reopened-later
[ "$(px_diff "$(png paused)" "$(png reopened-later)")" -eq 0 ] || e2e_fail "the new window's picture moved while paused"

e2e_focus "$window"
e2e_key space
px_wait_change "$window" "$(png paused)" "$(png resumed)" "" 5
e2e_close "$window"
e2e_expect_exit 0 30
e2e_pass "one frame a refresh; paused: a still picture at rest, drawn again when uncovered; F4 shows at once; F1 gives the same scene; Space resumes"
