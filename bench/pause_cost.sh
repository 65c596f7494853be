#!/usr/bin/env bash
# What a running and a paused viewer cost, in the mesh mode on one private
# Xvfb: the viewer's processor time over SECONDS seconds running, then over
# SECONDS seconds paused (after Space, once the picture stands still), and its
# frames a second while running. Both viewers of this tree (the Linux one and
# the Windows one under Wine), and with OTHER_TREE those of another tree too
# (its build/heliora and build-windows/heliora-win64/heliora.exe, e.g. a
# checkout of main), one after another in each of ROUNDS rounds, so that all
# see the same load.
#
#   bench/pause_cost.sh [ROUNDS] [SECONDS] [OTHER_TREE]    # defaults: 3 4; after scripts/windows.sh
#
# Prints each round, then each viewer's medians.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
rounds=${1:-3}
seconds=${2:-4}
other=${3:+$(cd "$3" && pwd)}
viewers=("$root/build/heliora" "$root/build-windows/heliora-win64/heliora.exe")
[ -n "$other" ] && viewers+=("$other/build/heliora" "$other/build-windows/heliora-win64/heliora.exe")
for viewer in "${viewers[@]}"; do
  [ -f "$viewer" ] || { echo "no $viewer: build both viewers first (scripts/windows.sh)" >&2; exit 1; }
done

export HELIORA_BUILD_DIR=$root/build
source "$root/tests/e2e/lib.sh" "${viewers[0]}"
source "$root/tests/e2e/pixels.sh"
set +e  # the harness is written for -u without -e; failures go through e2e_fail
e2e_start_xvfb 1024x768x24 2>/dev/null
E2E_WINE=1 e2e_wine_prefix
wineserver=$(dirname "$(e2e_wine_bin)")/wineserver
"$wineserver" -p  # kept running, as on a desktop where Wine is already up
trap '"$wineserver" -k 2>/dev/null; e2e_cleanup' EXIT

median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2) }'; }

# Prints "RUNNING_MS PAUSED_MS FRAMES_A_SECOND" for one start of VIEWER.
cost() {  # VIEWER
  local ms frames running paused rate
  E2E_VIEWER=$1 E2E_WINE=0
  case "$1" in *.exe) E2E_WINE=1 ;; esac
  e2e_start_counted_viewer 2>/dev/null
  e2e_wait_window Heliora 90
  px_wait_drawn "$E2E_WINDOW" "$E2E_DIR/drawn.png" 30
  sleep 1
  ms=$(e2e_cpu_ms) frames=$(e2e_swaps)
  sleep "$seconds"
  running=$(($(e2e_cpu_ms) - ms)) rate=$((($(e2e_swaps) - frames) / seconds))
  e2e_focus "$E2E_WINDOW"
  xdotool key space
  px_wait_still "$E2E_WINDOW" "$E2E_DIR/still.png"
  ms=$(e2e_cpu_ms)
  sleep "$seconds"
  paused=$(($(e2e_cpu_ms) - ms))
  e2e_close "$E2E_WINDOW"
  e2e_wait_exit 30
  echo "$running $paused $rate"
}

name() {  # VIEWER
  local tree=this
  [ -n "$other" ] && [[ $1 == "$other"/* ]] && tree=other
  case "$1" in *.exe) echo "$tree-windows" ;; *) echo "$tree-linux" ;; esac
}

cost "${viewers[1]}" >/dev/null  # Wine's first start in a new prefix, not counted
for round in $(seq "$rounds"); do
  for viewer in "${viewers[@]}"; do
    read -r running paused rate <<<"$(cost "$viewer")"
    printf 'round %d %-13s running %5d ms, paused %5d ms over %d s; %3d frames a second\n' \
      "$round" "$(name "$viewer")" "$running" "$paused" "$seconds" "$rate"
    echo "$running $paused $rate" >>"$E2E_DIR/$(name "$viewer")"
  done
done
for viewer in "${viewers[@]}"; do
  file=$E2E_DIR/$(name "$viewer")
  printf 'median %-13s running %5s ms, paused %5s ms over %d s; %3s frames a second\n' "$(name "$viewer")" \
    "$(cut -d' ' -f1 "$file" | median)" "$(cut -d' ' -f2 "$file" | median)" "$seconds" \
    "$(cut -d' ' -f3 "$file" | median)"
done
