#!/usr/bin/env bash
# The viewer with several sets of pictures, side by side in one run: for each
# set, start to first frame and the frame cost in each sphere mode, from
# bench/frame_times.sh, taking the sets in turn ROUNDS times, each round
# starting with the next set, so that all see the same load. Used to weigh bigger maps: in the GLU sphere mode every
# picture is uploaded on every frame.
#
#   [BUILD_DIR=build] [ROUNDS=3] [STARTS=5] [FOR_SECONDS=4] bench/map_sizes.sh PICTURES...
#
# Prints each round's figures and, per set, the medians over the rounds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build=${BUILD_DIR:-$root/build}
rounds=${ROUNDS:-3}
starts=${STARTS:-5}
seconds=${FOR_SECONDS:-4}  # not SECONDS: bash's own clock
[ $# -ge 1 ] || { echo "usage: bench/map_sizes.sh PICTURES..." >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

sets=("$@")
for round in $(seq "$rounds"); do
  for turn in $(seq 0 $(($# - 1))); do
    set=$(((round + turn) % $# + 1))
    dir=${sets[$((set - 1))]}
    bash "$root/bench/frame_times.sh" "$build" "$starts" "$seconds" "$dir" >"$work/$set.$round"
    echo "round $round, $dir:"
    grep -E '^(start|mesh|GLU)' "$work/$set.$round" | sed 's/^/  /'
  done
done

echo "medians over $rounds rounds (frame: real cost less the pacing sleep; processor: the viewer's, a frame):"
set=0
for dir in "$@"; do
  set=$((set + 1))
  first=$(cat "$work/$set".* | awk '/^start to first frame/ {print $6}' | median)
  mesh=$(cat "$work/$set".* | awk -F'real frame cost ' '/^mesh/ {split($2, a, " "); print a[1]}' | median)
  glu=$(cat "$work/$set".* | awk -F'real frame cost ' '/^GLU/ {split($2, a, " "); print a[1]}' | median)
  meshCpu=$(cat "$work/$set".* | awk -F'processor ' '/^mesh/ {split($2, a, " "); print a[1]}' | median)
  gluCpu=$(cat "$work/$set".* | awk -F'processor ' '/^GLU/ {split($2, a, " "); print a[1]}' | median)
  printf '  %s: start to first frame %s ms; mesh: frame %s ms, processor %s ms; GLU spheres: frame %s ms, processor %s ms\n' \
    "$dir" "$first" "$mesh" "$meshCpu" "$glu" "$gluCpu"
done
