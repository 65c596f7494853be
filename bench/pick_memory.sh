# Resident memory of the real viewer over many picks, in each sphere mode.
# Every click lands on empty space (the window's top-left corner), so each one
# is a full selection pass and no box opens. Prints VmRSS after a warm-up of
# 50 clicks and after CLICKS more, per sphere mode, and the growth per click.
#
#   bash bench/pick_memory.sh [BUILD_DIR] [CLICKS]     # defaults: build 500
#
# Needs the test tools (scripts/deps.sh test) and the pictures in
# BUILD_DIR/pictures (or the picture tool to make them).
set -uo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=$(realpath "${1:-$here/build}")
clicks=${2:-500}
export HELIORA_BUILD_DIR=$build
# HELIORA_VIEWER measures another viewer binary with the same pictures.
source "$here/tests/e2e/lib.sh" "${HELIORA_VIEWER:-$build/heliora}" "$build/heliora-pictures"

# Clicks in batches, each one xdotool run; the pause after a batch lets the
# viewer work through its queue (a GLU-sphere pick takes tens of ms).
click_empty() {  # COUNT
  local left=$1 batch
  # (--sync would wait for ever when the pointer is already there)
  timeout 5 xdotool mousemove --window "$window" 4 4 || e2e_fail "pointer not moved"
  sleep 0.2
  while [ "$left" -gt 0 ]; do
    batch=$((left < 50 ? left : 50))
    xdotool click --repeat "$batch" --delay 40 1 || e2e_fail "clicks not sent"
    left=$((left - batch))
    sleep 1
  done
  sleep 2
  kill -0 "$E2E_VIEWER_PID" 2>/dev/null || e2e_fail "the viewer ended"
  [ -z "$(e2e_other_windows)" ] || e2e_fail "a box opened: $(e2e_other_windows)"
}

measure() {  # MODE-NAME
  click_empty 50
  local before after
  before=$(e2e_status_kb VmRSS)
  click_empty "$clicks"
  after=$(e2e_status_kb VmRSS)
  printf '%-14s VmRSS %7d kB -> %7d kB after %d picks: %+d kB (%.1f kB a pick)\n' \
    "$1" "$before" "$after" "$clicks" $((after - before)) \
    "$(echo "($after - $before) / $clicks" | bc -l)"
}

e2e_start_xvfb 1024x768x24
e2e_start_viewer
e2e_wait_window Heliora
window=$E2E_WINDOW
sleep 1
measure "mesh spheres"
e2e_hold_key "$window" F5 0.3
sleep 1
measure "GLU spheres"
e2e_close "$window"
e2e_wait_exit 20
