#!/usr/bin/env bash
# Start-to-first-frame of the Linux viewer and of the Windows viewer under Wine,
# measured in one run on one private Xvfb: from just before the program is
# started to the first time its "Heliora" window shows the Sun at its centre
# (first_frame.c reads those pixels every 5 ms). The two alternate, so
# both see the same load; each is started STARTS times and closed with its
# close button. Wine runs in the end-to-end harness's prefix with its server
# kept running, as on a desktop where Wine is already up; the first start in a
# new prefix (tens of seconds) is not counted.
#
#   bench/start_times.sh [STARTS]        # default 7; after scripts/windows.sh
#
# Prints each program's median and range in milliseconds.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
starts=${1:-7}
linux=$root/build/heliora
windows=$root/build-windows/heliora-win64/heliora.exe
[ -x "$linux" ] && [ -f "$windows" ] || { echo "build both first: scripts/windows.sh" >&2; exit 1; }

export HELIORA_BUILD_DIR=$root/build
source "$root/tests/e2e/lib.sh" "$linux"
set +e
e2e_start_xvfb 1024x768x24 2>/dev/null
probe=$E2E_DIR/first_frame
touch "$E2E_DIR/viewer.err"
cc -O2 -o "$probe" "$root/bench/first_frame.c" -lX11 || e2e_fail "cannot build first_frame"
e2e_wine_prefix
wineserver=$(dirname "$(e2e_wine_bin)")/wineserver
"$wineserver" -p
trap '"$wineserver" -k 2>/dev/null; e2e_cleanup' EXIT

median() { sort -g | awk '{ a[NR] = $1 } END { print (NR % 2 ? a[(NR + 1) / 2] : (a[NR / 2] + a[NR / 2 + 1]) / 2) }'; }

time_start() {  # DIR PROGRAM...: prints the milliseconds to the first frame
  local dir=$1 t0 ms
  shift
  t0=${EPOCHREALTIME/./}
  (cd "$dir" && exec "$@" >/dev/null 2>&1) &
  E2E_VIEWER_PID=$!
  ms=$("$probe" "$t0" 90) || e2e_fail "no first frame from $*"
  e2e_wait_window Heliora 10
  e2e_close "$E2E_WINDOW"
  e2e_wait_exit 30
  echo "$ms"
}

# One start of each, not counted: the page cache and Wine's own start-up files.
time_start "$root/build/pictures" "$linux" >/dev/null
time_start "$(dirname "$windows")" "$(e2e_wine_bin)" "$windows" >/dev/null
for i in $(seq "$starts"); do
  time_start "$root/build/pictures" "$linux" >>"$E2E_DIR/linux.ms"
  time_start "$(dirname "$windows")" "$(e2e_wine_bin)" "$windows" >>"$E2E_DIR/wine.ms"
done
for name in linux wine; do
  printf '%-6s start to first frame: median %s ms (%s to %s, %d starts)\n' "$name" \
    "$(median <"$E2E_DIR/$name.ms")" "$(sort -g "$E2E_DIR/$name.ms" | head -1)" \
    "$(sort -g "$E2E_DIR/$name.ms" | tail -1)" "$starts"
done
