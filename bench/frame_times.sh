#!/usr/bin/env bash
# Times the real viewer on a private Xvfb with the pictures in PICTURES
# (default BUILD_DIR/pictures): process start to the first presented frame
# (over STARTS starts), then the frames in each sphere mode for SECONDS
# seconds each (the system's own mesh, then, after F5, the GLU sphere).
#
#   bench/frame_times.sh [BUILD_DIR] [STARTS] [SECONDS] [PICTURES]    # defaults: build 9 5
#
# Needs the swap_timer target (BUILD_DIR/bench/libswap_timer.so), preloaded into
# the viewer to log every buffer swap and every pacing sleep, and to mark the
# steps of building the window, so that the start-up time is also split by
# step. Without vertical sync (Xvfb has none) the viewer paces its swaps to
# about 60 a second, so the time between swaps says little; the script also
# prints the real cost of a frame (the time between swaps less the pacing
# sleep) and of the swap alone.
# Prints medians; run it on a quiet machine and compare figures from one run.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=$(readlink -f "${1:-$root/build}")
starts=${2:-9}
seconds=${3:-5}
lib=$build/bench/libswap_timer.so
pictures=$(readlink -f "${4:-$build/pictures}")
[ -f "$lib" ] || { echo "no $lib: build the swap_timer target first" >&2; exit 1; }
[ -x "$build/heliora" ] || { echo "no $build/heliora: build the viewer first" >&2; exit 1; }

# Xvfb, window waits, keys and clean-up come from the end-to-end harness.
export HELIORA_BUILD_DIR=$build
source "$root/tests/e2e/lib.sh" "$build/heliora"
set +e  # the harness is written for -u without -e; failures go through e2e_fail
e2e_have_pictures "$pictures" || e2e_fail "the eleven pictures are not all in $pictures: build the pictures target first"
e2e_start_xvfb 1024x768x24 2>/dev/null
work=$E2E_DIR

median() { sort -g | awk '{a[NR]=$1} END {if (NR == 0) exit 1; print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

# Starts the viewer in the pictures' directory with the swap log LOG; the start
# time (microseconds) goes to LOG.start just before the viewer's own exec.
start_viewer() {  # LOG
  (cd "$pictures" && echo "${EPOCHREALTIME/./}" >"$1.start" &&
    HELIORA_SWAP_LOG=$1 LD_PRELOAD=$lib exec "$build/heliora" >"$1.out" 2>&1) &
  E2E_VIEWER_PID=$!
}

stop_viewer() {
  e2e_stop_process "$E2E_VIEWER_PID"
  wait "$E2E_VIEWER_PID" 2>/dev/null || true
  E2E_VIEWER_PID=""
}

wait_first_swap() {  # LOG
  local i
  for i in $(seq 300); do
    [ -s "$1" ] && return 0
    kill -0 "$E2E_VIEWER_PID" 2>/dev/null || e2e_fail "the viewer ended before its first frame: $(cat "$1.out")"
    sleep 0.05
  done
  e2e_fail "no frame within 15 s"
}

# ---- Start to first frame ----------------------------------------------------------

for i in $(seq "$starts"); do
  log=$work/start$i.log
  start_viewer "$log"
  wait_first_swap "$log"
  awk -v t0="$(cat "$log.start")" 'NR == 1 {print ($1 / 1000 - t0) / 1000; exit}' "$log" >>"$work/first_ms"
  stop_viewer
  sleep 0.3
done
printf 'start to first frame: median %.1f ms (min %.1f, max %.1f) over %d starts\n' \
  "$(median <"$work/first_ms")" "$(sort -g "$work/first_ms" | head -1)" \
  "$(sort -g "$work/first_ms" | tail -1)" "$starts"

# Where the start-up time goes: each step ends at a mark the preload library
# took (see swap_timer.c); medians over the starts, in the order of the steps.
steps=(window:"process start to an open window (libraries, SDL, X, Mesa loaded)"
       context:"OpenGL context (Mesa's driver)"
       quadric:"viewport and projection"
       objects:"pictures read for the texture objects"
       lists:"texture objects uploaded"
       listed:"pictures read again, upload lists recorded"
       drawn:"the rest of the GL state, the first frame's calls (shaders built)"
       presented:"first swap (llvmpipe draws the pixels, then presents)")
for i in $(seq "$starts"); do
  awk -v t0="$(cat "$work/start$i.log.start")" '
    {at[$1] = $2 / 1000} END {
      previous = t0
      n = split("window context quadric objects lists listed drawn presented", names, " ")
      for (k = 1; k <= n; k++) if (names[k] in at) {
        print names[k], (at[names[k]] - previous) / 1000; previous = at[names[k]] }
    }' "$work/start$i.log.phases"
done >"$work/steps"
for entry in "${steps[@]}"; do
  name=${entry%%:*}
  value=$(awk -v n="$name" '$1 == n {print $2}' "$work/steps" | median) || continue
  printf '  %-10s %6.1f ms  %s\n' "$name" "$value" "${entry#*:}"
done

# ---- Frames in each mode -------------------------------------------------------------

log=$work/frames.log
start_viewer "$log"
wait_first_swap "$log"
e2e_wait_window Heliora
sleep 1

# Medians over the frames logged in the next SECONDS seconds: time between
# swaps, that time less the pacing sleep, and the swap alone (milliseconds).
# Also the viewer's processor time (all its threads, llvmpipe's too) per
# frame over those seconds, which a busy machine disturbs less.
cpu_ticks() { awk '{print $14 + $15}' "/proc/$E2E_VIEWER_PID/stat"; }
measure() {  # LABEL
  local from frames ticks
  from=$(wc -l <"$log")
  ticks=$(cpu_ticks)
  sleep "$seconds"
  ticks=$(($(cpu_ticks) - ticks))
  tail -n +$((from + 1)) "$log" | head -n -1 >"$work/window"
  frames=$(wc -l <"$work/window")
  [ "$frames" -ge 3 ] || e2e_fail "$1: only $frames frames in $seconds s"
  awk 'NR > 1 {print ($1 - t) / 1e6} {t = $1}' "$work/window" | median >"$work/interval"
  awk 'NR > 1 {print ($1 - t - ($3 - d)) / 1e6} {t = $1; d = $3}' "$work/window" | median >"$work/busy"
  awk '{print $2 / 1e6}' "$work/window" | median >"$work/swap"
  printf '%s: between swaps %.2f ms; real frame cost %.2f ms (swap alone %.2f ms); %d frames; processor %.2f ms a frame\n' \
    "$1" "$(cat "$work/interval")" "$(cat "$work/busy")" "$(cat "$work/swap")" "$frames" \
    "$(echo "$ticks * 1000 / $(getconf CLK_TCK) / ($frames + 1)" | bc -l)"
}

measure "mesh spheres"
e2e_hold_key "$E2E_WINDOW" F5 0.3
sleep 1
measure "GLU spheres "
stop_viewer
