#!/usr/bin/env bash
# Times the set-up drawing all eleven maps: scripts/pictures.sh with the given
# picture tool into an empty folder, RUNS times, as the pictures target does.
#
#   bench/map_times.sh [PICTURE_TOOL] [RUNS]    # defaults: build/heliora-pictures 7
#
# Prints the median and range of the wall-clock time, and the median processor
# time (user + system; more than the wall-clock time when both cores work).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
tool=$(readlink -f "${1:-$root/build/heliora-pictures}")
runs=${2:-7}
[ -x "$tool" ] || { echo "no $tool: build the heliora-pictures target first" >&2; exit 1; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

median() { sort -g | awk '{a[NR]=$1} END {print (NR%2 ? a[(NR+1)/2] : (a[NR/2]+a[NR/2+1])/2)}'; }

for i in $(seq "$runs"); do
  rm -rf "$work/pictures"
  /usr/bin/time -f '%e %U %S' -o "$work/time" bash "$root/scripts/pictures.sh" "$tool" "$work/pictures"
  read -r wall user system <"$work/time"
  echo "$wall" >>"$work/wall"
  echo "$user + $system" | bc >>"$work/cpu"
done
printf 'eleven maps: median %.2f s (%.2f to %.2f s over %d runs), processor time %.2f s\n' \
  "$(median <"$work/wall")" "$(sort -g "$work/wall" | head -1)" "$(sort -g "$work/wall" | tail -1)" \
  "$runs" "$(median <"$work/cpu")"
