# Many F1 switches in a row give back everything each window took. On a
# 1024 x 768 screen there is no 800 x 600 mode, so every F1 closes the window
# and its OpenGL context, asks "Orbisca", and Yes opens a new windowed one
# whose context reads the eleven pictures and builds its textures anew. After
# every switch the new window must be there; the open file descriptors must be
# the same after the last switch as after the second (the first two settle
# what the X, GL and SDL libraries keep for the rest of the run), and the
# resident memory may grow by no more than a small bound (see below). Under
# Wine the open files include the wineserver's, which hold the program's
# handles.
#
# HELIORA_F1_CYCLES sets the number of switches (default 16, 8 under Wine,
# whose switches take several seconds each; at least 3).
source "$HELIORA_E2E_LIB" "$@"

cycles=${HELIORA_F1_CYCLES:-$((E2E_WINE ? 8 : 16))}
[ "$cycles" -ge 3 ] || e2e_fail "HELIORA_F1_CYCLES must be 3 or more"

# Resident memory may grow by this much from switch 2 to the last. Measured on
# Mesa's llvmpipe: from switch 2 to switch 60 it grew by 2 MB (malloc's arenas
# settle), while a rendering context that is never deleted costs 39 MB a
# switch and the eleven pictures held by the display lists are 10.8 MB. Over
# 14 switches, 8 MB is passed by any leak of more than about 600 kB a switch,
# less than one picture's (over Wine's 6, of about 1.4 MB).
readonly RSS_TOLERANCE_KB=8192

fds() { e2e_open_files; }

# AddressSanitizer keeps freed blocks in quarantine and maps shadow memory as
# it goes: its resident size says nothing about leaks (LeakSanitizer, at exit,
# does). The descriptor count is checked all the same.

e2e_start_xvfb 1024x768x24
e2e_start_viewer
e2e_wait_window Heliora
window=$E2E_WINDOW
e2e_wait_frame "$window"
e2e_log "start: $(fds) descriptors, VmRSS $(e2e_status_kb VmRSS) kB"

start_seconds=$SECONDS
for cycle in $(seq "$cycles"); do
  old=$window
  e2e_hold_key "$window" F1
  # The old window and its context go first, then the question is asked.
  timeout 10 bash -c "while xwininfo -id $old >/dev/null 2>&1; do sleep 0.05; done" ||
    e2e_fail "switch $cycle: F1 did not close window $old"
  e2e_answer_box Orbisca Return
  e2e_wait_window Heliora
  window=$E2E_WINDOW
  [ "$window" != "$old" ] || e2e_fail "switch $cycle: the old window is still there"
  e2e_expect_scene "switch $cycle" windowed
  # The window is mapped before its textures are made: let the first frames come.
  e2e_wait_frame "$window"
  kill -0 "$E2E_VIEWER_PID" 2>/dev/null || e2e_fail "switch $cycle: the viewer ended"
  if [ "$cycle" = 2 ]; then
    fds2=$(fds) rss2=$(e2e_status_kb VmRSS)
  fi
  [ -n "${HELIORA_F1_TRACE:-}" ] &&
    e2e_log "switch $cycle: $(fds) descriptors, VmRSS $(e2e_status_kb VmRSS) kB"
done
seconds=$((SECONDS - start_seconds))

# A descriptor that a library is still closing (seen once under load: 8 -> 9)
# gets two seconds to go; a leak stays.
for _ in $(seq 20); do [ "$(fds)" -le "$fds2" ] && break; sleep 0.1; done
fds_last=$(fds) rss_last=$(e2e_status_kb VmRSS) hwm=$(e2e_status_kb VmHWM)
growth=$((rss_last - rss2))
e2e_log "$cycles switches in $seconds s"
e2e_log "descriptors: $fds2 after switch 2, $fds_last after switch $cycles"
e2e_log "VmRSS: $rss2 kB after switch 2, $rss_last kB after switch $cycles ($growth kB); VmHWM $hwm kB"

[ "$fds_last" -le "$fds2" ] ||
  e2e_fail "open descriptors grew from $fds2 to $fds_last over $((cycles - 2)) switches: $(ls -l "/proc/$E2E_VIEWER_PID/fd" | tail -n +2)"
if [ "$E2E_SANITIZED" = 0 ]; then
  [ "$growth" -le "$RSS_TOLERANCE_KB" ] ||
    e2e_fail "resident memory grew by $growth kB over $((cycles - 2)) switches (bound $RSS_TOLERANCE_KB kB)"
else
  e2e_log "sanitized viewer: resident growth not bounded, LeakSanitizer checks at exit"
fi

# Picks in the last window: the first compiles the context's pick lists, the
# next 100 may not keep memory (each once lost about 0.7 MB, 2 MB or more with
# the GLU spheres).
xdotool mousemove --window "$window" 4 4 click --repeat 5 --delay 40 1 && sleep 1
rss_picks=$(e2e_status_kb VmRSS)
xdotool mousemove --window "$window" 4 4 click --repeat 100 --delay 40 1 && sleep 2
pick_growth=$(($(e2e_status_kb VmRSS) - rss_picks))
e2e_log "VmRSS over 100 picks: $pick_growth kB"
[ -z "$(e2e_other_windows)" ] || e2e_fail "a pick on empty space opened a box"
if [ "$E2E_SANITIZED" = 0 ]; then
  [ "$pick_growth" -le 4096 ] || e2e_fail "resident memory grew by $pick_growth kB over 100 picks"
fi

e2e_close "$window"
e2e_expect_exit 0
e2e_pass "$cycles F1 switches: each window came back; descriptors $fds2 -> $fds_last, VmRSS $rss2 -> $rss_last kB"
