# The mouse is not captured. A right-drag that goes past the client area's
# left edge in 1-pixel steps and is released out there leaves the model turned
# as a drag that stops at the edge does, also once the pointer comes back in.
# (A captured drag would report positions past the edge, which wrap to about
# 65 500 and turn the Sun away.) The Linux window is moved away from the
# screen's corner, and the drag goes 40 pixels past. Wine 10 does not hear of
# a window moved behind its back (it goes on placing the pointer by where it
# put the window), so the Windows viewer's window stays where it is: its
# client area's edge is a frame's width from the screen's, and the drag goes
# that far past, to the screen's edge.
# Wine, unlike Windows, passes on X's implicit pointer grab: moves past the
# edge do reach the Windows viewer there, and its backend drops them; and Wine
# merges the moves a busy viewer has not read, so the drags dwell on the last
# pixels inside.
source "$HELIORA_E2E_LIB" "$@"
source "$(dirname "$HELIORA_E2E_LIB")/pixels.sh"

png() { echo "$E2E_DIR/$1.png"; }

drag_left() {  # FROM TO (client x), in 1-pixel steps, right button
  local x
  xdotool mousemove $((LEFT + $1)) $ROW
  sleep 0.2
  xdotool mousedown 3
  for x in $(seq $(($1 - 1)) -1 "$2"); do
    xdotool mousemove $((LEFT + x)) $ROW
    ((x < 0 || x > 2)) || sleep 0.1
  done
  xdotool mouseup 3
}

e2e_start_xvfb
e2e_start_viewer
e2e_wait_window Heliora
window=$E2E_WINDOW
if [ "$E2E_WINE" = 1 ]; then
  read -r LEFT TOP <<<"$(e2e_frame)"
  PAST=$((-LEFT))
else
  LEFT=100 TOP=100 PAST=-40
  xdotool windowmove "$window" $LEFT $TOP
fi
for i in $(seq 50); do
  read -r x y _ <<<"$(e2e_geometry "$window")"
  [ "$x,$y" = "$LEFT,$TOP" ] && break
  sleep 0.1
done
[ "$x,$y" = "$LEFT,$TOP" ] || e2e_fail "the client area is at $x,$y, not $LEFT,$TOP"
ROW=$((TOP + 80))  # the drags' screen row
px_wait_drawn "$window" "$(png start)"

drag_left 40 0  # stops at the edge
sleep 0.5
e2e_screenshot "$(png at-edge)" "$window"
[ "$(px_diff "$(png start)" "$(png at-edge)" $PX_SUN_TOP)" -gt 0 ] || e2e_fail "a 40-pixel drag did not turn the Sun"
# Back to the start, and the same drag on past the edge.
xdotool mousemove $LEFT $ROW mousedown 3
for x in $(seq 1 40); do xdotool mousemove $((LEFT + x)) $ROW; done
xdotool mouseup 3
drag_left 40 $PAST
xdotool mousemove $((LEFT + 200)) $ROW  # back in, the button up
px_wait_equal "$window" "$(png at-edge)" "$(png past-edge)" $PX_SUN_TOP 5
e2e_close "$window"
e2e_expect_exit 0
e2e_pass "a drag released $((-PAST)) pixels past the left edge turns the model as one that stops at the edge"
