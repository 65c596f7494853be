#!/usr/bin/env bash
# Times the real viewer under Xvfb with the set-up's pictures: process start to
# the first presented frame (several starts), then the frame time in each
# sphere mode. Usage: bench/frame_times.sh [BUILD_DIR] [STARTS]
# Prints medians; run it on a quiet machine and compare figures from one run.
set -euo pipefail
build=$(readlink -f "${1:-build}")
starts=${2:-9}
lib=$build/bench/libswap_timer.so
[ -f "$lib" ] || { echo "build the swap_timer target first" >&2; exit 1; }
work=$(mktemp -d)
display=:$((RANDOM % 400 + 500))
Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null; rm -rf "$work"' EXIT
sleep 1
export DISPLAY=$display

median() { sort -n | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

# Start to first frame.
for i in $(seq "$starts"); do
  log=$work/start$i.log
  t0=$(date +%s%N)
  (cd "$build/pictures" && HELIORA_SWAP_LOG=$log LD_PRELOAD=$lib exec "$build/heliora" 2>/dev/null) &
  pid=$!
  while [ ! -s "$log" ]; do sleep 0.01; done
  echo $(( ($(head -1 "$log") - t0) / 1000 ))  >> "$work/first_us"
  kill "$pid"; wait "$pid" 2>/dev/null || true
done
echo "start to first frame: median $(median < "$work/first_us" | awk '{printf "%.1f", $1/1000}') ms over $starts starts"

# Frame times in each mode.
log=$work/frames.log
(cd "$build/pictures" && HELIORA_SWAP_LOG=$log LD_PRELOAD=$lib exec "$build/heliora" 2>/dev/null) &
pid=$!
sleep 3
window=$(xdotool search --name '^Heliora$' | head -1)
measure() {  # $1: label
  : > "$log"; sleep 4
  awk 'NR>1 {print ($1-p)/1000000} {p=$1}' "$log" | median | awk -v l="$1" '{printf "%s: median frame %.2f ms\n", l, $1}'
}
measure "mesh spheres"
xdotool key --window "$window" F5; sleep 1
measure "GLU spheres"
kill "$pid"; wait "$pid" 2>/dev/null || true
