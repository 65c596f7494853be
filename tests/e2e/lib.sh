# End-to-end harness: the real viewer on a private Xvfb, driven with xdotool,
# seen through xwininfo, xprop and screenshots. Source it from a test script:
#
#   source "$HELIORA_E2E_LIB" "$@"      # $1 = heliora, $2 = heliora-pictures
#
# Every wait has a hang guard; the viewer, its message-box children and Xvfb
# are always taken down on exit (trap). With HELIORA_E2E_WAYLAND=1 the same
# steps run the viewer natively under a headless sway instead (see "Wayland"
# below). There is no window manager, so windows
# sit exactly where the viewer puts them and nothing has a frame; focus is
# given explicitly (e2e_focus) before keys are sent.
#
# Start-up
#   e2e_start_xvfb [WxHxD]        private Xvfb on a free display (default 1024x768x24);
#                                 exports DISPLAY. With E2E_FONTS=latin its font path
#                                 has no Hangul fonts: boxes then draw Korean text
#                                 with Latin stand-ins (a reference for Hangul checks;
#                                 under Wayland fontconfig offers the boxes no Korean font)
#   e2e_start_viewer [OMIT...]    starts the viewer in a scratch directory (named
#                                 $E2E_RUN_DIR, default run) that holds
#                                 the eleven pictures, less those named; sets
#                                 E2E_VIEWER_PID; its output goes to
#                                 $E2E_DIR/viewer.out and viewer.err. May be called
#                                 again once the previous viewer has ended.
# Windows (found by their exact title among the viewable windows, from
# `xwininfo -root -tree`; ids are printed in decimal)
#   e2e_find_window TITLE         prints the id, or returns 1 at once when there is none
#   e2e_wait_window TITLE [S]     waits up to S seconds (default 15) and sets E2E_WINDOW
#                                 to the id (not printed: a failure inside $(...) could
#                                 not end the test)
#   e2e_wait_no_window TITLE [S]  waits until no viewable window has that title
#   e2e_wait_window_gone ID [S]   waits until window ID is gone
#   e2e_other_windows             prints the titles of the viewable top-level windows
#                                 other than "Heliora" (open boxes), one a line
#   e2e_geometry ID               prints "X Y WIDTH HEIGHT" of the client area on screen
#   e2e_frame                     prints "SIDE TOP": a windowed client area's place
#                                 inside a frame whose corner is at (0,0)
#   e2e_expect_scene WHEN windowed|full   checks E2E_WINDOW's client area
#   e2e_window_state ID           prints the window's _NET_WM_STATE atoms (may be empty)
#   e2e_close ID                  the close button: sends WM_DELETE_WINDOW
#   e2e_cursor_over ID            moves the pointer into the window, prints "shown" or
#                                 "hidden" (call it as a condition or in $(...): it
#                                 prints, so its failure cannot end the test there)
# Input (XTEST, to the window that has the focus)
#   e2e_focus ID                  gives the window the keyboard focus
#   e2e_key_down KEY / e2e_key_up KEY      xdotool key names: Escape, F1, KP_Add, space
#   e2e_hold_key ID KEY [S]       focus, key down, hold S seconds (default 0.5), key up
#   e2e_key KEYS                  presses and releases KEYS (xdotool's form: alt+F4)
#   e2e_click ID X Y [BUTTON]     clicks at client coordinates (default button 1)
#   e2e_move_pointer X Y          moves the pointer to X,Y on the screen
# Message boxes (a box is a window whose title is its caption)
#   e2e_box_key CAPTION KEY [S]            focuses the box and presses KEY
#   e2e_answer_box CAPTION KEY [S]         e2e_box_key (Return: the default button,
#                                          Escape: OK), then e2e_back_from_box
#   e2e_answer_no CAPTION                  answers No to a Yes/No box
#   e2e_click_box_button CAPTION I N [S]   clicks button I (from 0, left to right) of
#                                          the N buttons of the box, found on screen,
#                                          then e2e_back_from_box
#   e2e_back_from_box CAPTION [S]          after an answer: waits until the box is
#                                          gone and the viewer is back in its loop
#                                          (see there); every answer goes through it
#   e2e_wait_frame ID [S]                  until the picture in window ID changes
#   e2e_box_ink SCREENSHOT OUT             the open box's text, white on black
# Pictures and results
#   e2e_screenshot FILE [ID]      PNG of the whole screen, or of one window's area
#   e2e_wait_exit [S]             waits for the viewer to end (default 20 s); sets
#                                 E2E_EXIT_CODE; a hang kills it and fails the test
#   e2e_expect_exit CODE [S]      e2e_wait_exit, then checks the code
#   e2e_status_kb FIELD           the running viewer's VmRSS, VmHWM ... in kB
#   e2e_cpu_ms                    the running viewer's processor time so far, in ms
# Frames (the viewer started by e2e_start_counted_viewer [OMIT...], which is
# e2e_start_viewer with its buffer swaps counted: on Linux by count_swaps.c,
# preloaded; under Wine from its X11 driver's trace of each swap)
#   e2e_swaps                     the number of swaps so far
#   e2e_open_files                how many files the running viewer holds open
#   e2e_fail MESSAGE              saves a screenshot, keeps $E2E_DIR, exits 1
#   e2e_pass MESSAGE              prints the message and exits 0
#
# Sanitized viewers (built with AddressSanitizer, found by ldd; E2E_SANITIZED=1):
# e2e_start_viewer runs them with leak checks at exit under tests/lsan.supp (and
# tests/lsan-wayland.supp under Wayland) and with run-time libraries kept
# loaded (keep_modules.c), in the environment that e2e_viewer_env puts into the
# array E2E_VIEWER_ENV (for a viewer started by other means); e2e_wait_exit
# fails the test on any sanitizer report in viewer.err, whatever the exit code.
#
# The Windows viewer (E2E_WINE=1 when the viewer is an .exe) runs under Wine in
# a private prefix made on first start, or copied from HELIORA_WINE_TEMPLATE
# (HELIORA_WINE_PREFIX names one to reuse),
# with NanumGothic standing in for the boxes' fonts, so that Hangul shows. Its
# pictures are the ones beside the .exe. Wine acts on keys only in its active
# window: e2e_focus activates one with a right click at its centre (a drag
# that starts and ends there), and e2e_answer_box puts the pointer over the box
# before the key (e2e_box_key).
#
# Wayland (HELIORA_E2E_WAYLAND=1, E2E_WAYLAND=1 here): e2e_start_xvfb starts a
# headless sway (WLR_BACKENDS=headless, pixman, no input devices, no Xwayland)
# of that size with a config of its own: every window floats, unframed, with
# its corner at (0,0), and the focus follows no pointer. sway draws the
# cursor into the screen's picture: it hides it 0.2 s after the pointer stops. DISPLAY is unset, so
# the viewer and its boxes (zenity) run natively. Input comes from wlinput
# (tests/e2e/wlinput.c: a virtual pointer and keyboard), windows and their
# geometry from `swaymsg -t get_tree` (ids are sway's container ids), pictures
# from grim. The viewer runs with WAYLAND_DEBUG=client: e2e_cursor_over reads
# the cursor it last set from that trace in viewer.err.
#
# Environment: HELIORA_BUILD_DIR (the build tree: the pictures and the helpers
# xclose and xcursor are taken from there when present, else made here).
# E2E_KEEP=1 keeps the scratch directory ($E2E_DIR) for a look at screenshots.

set -uo pipefail

E2E_VIEWER=$(realpath "${1:?usage: source lib.sh HELIORA HELIORA_PICTURES}")
E2E_PICTURE_TOOL=${2:+$(realpath "$2")}
E2E_SOURCE_DIR=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
E2E_DIR=$(mktemp -d "${TMPDIR:-/tmp}/heliora-e2e.XXXXXX")
E2E_XVFB_PID=""
E2E_VIEWER_PID=""
E2E_EXIT_CODE=""
E2E_WINDOW=""
E2E_HELPER=""
E2E_FAILED=0
E2E_SANITIZED=0
# Not `ldd | grep -q`: grep leaves at the first match, ldd's next line meets a
# closed pipe, and under pipefail a sanitized viewer (about one run in five)
# was taken for a plain one.
[[ $(ldd "$E2E_VIEWER" 2>/dev/null) == *libasan* ]] && E2E_SANITIZED=1
E2E_WAYLAND=${HELIORA_E2E_WAYLAND:-0}
E2E_INPUT_PID=""
E2E_WINE=0
case "$E2E_VIEWER" in *.exe) E2E_WINE=1 ;; esac

readonly E2E_PICTURES=(Sun.bmp Mercury.bmp Venus.bmp earth.bmp Moon.bmp Mars.bmp
                       Jupiter.bmp Saturn.bmp Uranus.bmp Neptune.bmp pluto.bmp)
# The message box's button face and text, from SDL's default box colours.
readonly E2E_BUTTON_COLOUR='#696663' E2E_TEXT_COLOUR='#d1cfcd'
readonly E2E_POLL=0.1

# ---- Reporting and clean-up ------------------------------------------------------

e2e_log() { echo "e2e: $*" >&2; }

e2e_fail() {
  echo "FAIL: $*" >&2
  E2E_FAILED=1
  if [ -n "$E2E_XVFB_PID" ] && kill -0 "$E2E_XVFB_PID" 2>/dev/null; then
    e2e_grab "$E2E_DIR/failure.png" 2>/dev/null &&
      echo "screen at failure: $E2E_DIR/failure.png" >&2
  fi
  [ -s "$E2E_DIR/viewer.err" ] && { echo "viewer's standard error:" >&2; grep -Ev ':trace:wgl:|^\[ *[0-9.]+\] ' "$E2E_DIR/viewer.err" >&2; }
  exit 1
}

e2e_pass() {
  echo "PASS: $*"
  exit 0
}

e2e_stop_process() {  # PID: polite, then firm; its children (message boxes) first
  local pid=$1 i
  [ -n "$pid" ] || return 0
  kill -0 "$pid" 2>/dev/null || return 0
  pkill -TERM -P "$pid" 2>/dev/null
  kill -TERM "$pid" 2>/dev/null
  for i in $(seq 20); do kill -0 "$pid" 2>/dev/null || return 0; sleep "$E2E_POLL"; done
  pkill -KILL -P "$pid" 2>/dev/null
  kill -KILL "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  return 0
}

e2e_cleanup() {
  e2e_stop_process "$E2E_VIEWER_PID"
  [ "$E2E_WINE" = 1 ] && [ -n "${WINEPREFIX:-}" ] && "$(dirname "$(e2e_wine_bin)")/wineserver" -k 2>/dev/null
  e2e_stop_display
  if [ "$E2E_FAILED" = 1 ] || [ "${E2E_KEEP:-0}" = 1 ]; then
    echo "scratch directory kept: $E2E_DIR" >&2
  else
    rm -rf "$E2E_DIR"
  fi
}
trap e2e_cleanup EXIT
trap 'e2e_fail "interrupted"' INT TERM

# ---- Xvfb --------------------------------------------------------------------------

# Message boxes draw with an X font set of the 12-point medium-r-normal fonts:
# Hangul comes from the Baekmuk fonts, ASCII needs an ISO 8859-1 font of that
# shape. Without xfonts-base, Xvfb's only Latin font is the semicondensed
# `fixed`: an alias presents it under the normal shape.
e2e_font_path() {
  local aliases="$E2E_DIR/fonts" path="" dir
  mkdir -p "$aliases"
  echo 0 >"$aliases/fonts.dir"
  echo '-misc-fixed-medium-r-normal--13-120-75-75-c-60-iso8859-1 -misc-fixed-medium-r-semicondensed--13-120-75-75-c-60-iso8859-1' \
    >"$aliases/fonts.alias"
  path=$aliases
  # Bitmap fonts at their own sizes only, the 75-dpi ones (Baekmuk) first: the
  # box takes the first font of each character set, and the 16-pixel Korean
  # font in misc would stand a head taller than the 13-pixel Latin letters.
  [ "${E2E_FONTS:-}" = latin ] || for dir in 75dpi misc 100dpi; do
    [ -f "/usr/share/fonts/X11/$dir/fonts.dir" ] && path="$path,/usr/share/fonts/X11/$dir/:unscaled"
  done
  echo "$path,built-ins"
}

e2e_start_xvfb() {
  local geometry=${1:-1024x768x24} i number=""
  [ "$E2E_WAYLAND" = 0 ] || { e2e_start_sway "${geometry%x*}"; return 0; }
  command -v Xvfb >/dev/null || e2e_fail "Xvfb is not installed"
  # -displayfd: Xvfb picks a free display and writes its number once it accepts clients.
  # The file goes first: the redirection below happens in the background, so
  # after a restart the loop could otherwise read the previous server's number.
  rm -f "$E2E_DIR/display"
  # Auto-repeat starts after 1.5 s (X's default is 0.66 s): a loaded machine
  # stretches a half-second key hold past the default, and a repeated F3 would
  # toggle the textures twice.
  Xvfb -displayfd 3 -screen 0 "$geometry" -nolisten tcp -noreset -fp "$(e2e_font_path)" \
    -ardelay 1500 \
    3>"$E2E_DIR/display" >"$E2E_DIR/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  for i in $(seq 100); do
    number=$(head -n1 "$E2E_DIR/display" 2>/dev/null)
    [ -n "$number" ] && break
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || e2e_fail "Xvfb did not start: $(cat "$E2E_DIR/xvfb.log")"
    sleep "$E2E_POLL"
  done
  [ -n "$number" ] || e2e_fail "Xvfb gave no display number within 10 s"
  export DISPLAY=":$number"
  xwininfo -root >/dev/null 2>&1 || e2e_fail "display $DISPLAY does not answer"
  e2e_log "Xvfb $geometry on $DISPLAY"
}

# Ends the display server (Xvfb, or sway and wlinput); e2e_start_xvfb may follow.
e2e_stop_display() {
  if [ -n "$E2E_INPUT_PID" ]; then
    exec 7>&- 8<&-  # wlinput ends at the end of its input
    e2e_stop_process "$E2E_INPUT_PID"
    E2E_INPUT_PID=""
  fi
  e2e_stop_process "$E2E_XVFB_PID"
  E2E_XVFB_PID=""
  unset WAYLAND_DISPLAY SWAYSOCK  # a new sway would take them for its own
}

# ---- Wayland: a headless sway ---------------------------------------------------

e2e_start_sway() {  # WIDTHxHEIGHT
  local size=$1 i socket=""
  command -v sway >/dev/null || e2e_fail "sway is not installed"
  export XDG_RUNTIME_DIR
  XDG_RUNTIME_DIR=$(mktemp -d "$E2E_DIR/xdg.XXXXXX")  # made 0700, as sway wants
  printf '%s\n' 'xwayland disable' 'swaybg_command -' 'swaynag_command -' \
    "output * resolution $size position 0 0" 'default_border none' 'default_floating_border none' \
    'focus_follows_mouse no' 'input * repeat_delay 1500' 'seat * hide_cursor 200' \
    'for_window [all] floating enable, move position 0 0' >"$XDG_RUNTIME_DIR/config"
  WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    sway -c "$XDG_RUNTIME_DIR/config" >"$E2E_DIR/sway.log" 2>&1 &
  E2E_XVFB_PID=$!
  for i in $(seq 100); do
    socket=$(ls "$XDG_RUNTIME_DIR" | grep -m1 '^wayland-[0-9]*$')
    [ -n "$socket" ] && ls "$XDG_RUNTIME_DIR"/sway-ipc.* >/dev/null 2>&1 && break
    kill -0 "$E2E_XVFB_PID" 2>/dev/null || e2e_fail "sway did not start: $(tail -5 "$E2E_DIR/sway.log")"
    socket=""
    sleep "$E2E_POLL"
  done
  [ -n "$socket" ] || e2e_fail "sway gave no socket within 10 s"
  unset DISPLAY
  export WAYLAND_DISPLAY=$socket SWAYSOCK
  if [ "${E2E_FONTS:-}" = latin ]; then  # the boxes' GTK then has no font for Korean
    printf '%s\n' '<?xml version="1.0"?><fontconfig><include>/etc/fonts/fonts.conf</include>' \
      '<selectfont><rejectfont><pattern><patelt name="lang"><string>ko</string></patelt></pattern></rejectfont></selectfont></fontconfig>' \
      >"$XDG_RUNTIME_DIR/fonts.conf"
    export FONTCONFIG_FILE=$XDG_RUNTIME_DIR/fonts.conf
  else
    unset FONTCONFIG_FILE
  fi
  SWAYSOCK=$(ls "$XDG_RUNTIME_DIR"/sway-ipc.*)
  [ "$(e2e_screen_size)" = "${size/x/ }" ] || e2e_fail "sway's output is $(e2e_screen_size), not $size"
  e2e_helper wlinput -lwayland-client -lxkbcommon
  rm -f "$E2E_DIR/input" "$E2E_DIR/input-replies"
  mkfifo "$E2E_DIR/input" "$E2E_DIR/input-replies"
  "$E2E_HELPER" "${size%x*}" "${size#*x}" <"$E2E_DIR/input" >"$E2E_DIR/input-replies" 2>>"$E2E_DIR/sway.log" &
  E2E_INPUT_PID=$!
  exec 7>"$E2E_DIR/input" 8<"$E2E_DIR/input-replies"
  e2e_log "headless sway $size on $WAYLAND_DISPLAY"
}

# Sends wlinput a command and waits until the compositor has taken it.
e2e_input() {  # COMMAND...
  local reply=""
  echo "$*" >&7 && read -r -t 10 reply <&8 || e2e_fail "wlinput did not answer \"$*\" ($(tail -1 "$E2E_DIR/sway.log"))"
  [ "$reply" = ok ] || e2e_fail "wlinput: $reply (to \"$*\")"
}

# "ID X Y WIDTH HEIGHT TITLE" of each visible window, its client area on screen.
e2e_sway_windows() {
  swaymsg -t get_tree 2>/dev/null | jq -r '.. | objects | select(.pid? != null and .visible == true) |
    "\(.id) \(.rect.x + .window_rect.x) \(.rect.y + .window_rect.y) \(.window_rect.width) \(.window_rect.height) \(.name // "")"'
}

# ---- The viewer ----------------------------------------------------------------------

e2e_have_pictures() {  # DIR
  local file
  for file in "${E2E_PICTURES[@]}"; do [ -s "$1/$file" ] || return 1; done
}

e2e_prepare_pictures() {  # DIR
  local built="" file
  [ -n "${HELIORA_BUILD_DIR:-}" ] && built="$HELIORA_BUILD_DIR/pictures"
  [ "$E2E_WINE" = 1 ] && built=$(dirname "$E2E_VIEWER")  # the package's, beside the .exe
  mkdir -p "$1"
  if [ -n "$built" ] && e2e_have_pictures "$built"; then
    for file in "${E2E_PICTURES[@]}"; do cp "$built/$file" "$1/"; done
  elif [ -n "$E2E_PICTURE_TOOL" ]; then
    bash "$E2E_SOURCE_DIR/scripts/pictures.sh" "$E2E_PICTURE_TOOL" "$1" >/dev/null ||
      e2e_fail "could not make the pictures"
  fi
  e2e_have_pictures "$1" || e2e_fail "the eleven pictures are missing in $1"
}

# Sets E2E_VIEWER_ENV to what a sanitized viewer runs with (nothing for any
# other): leak checks at exit under the graphics stack's suppressions, and
# keep_modules preloaded, ahead of the sanitizer's own library, which
# verify_asan_link_order would refuse. Under Wayland the suppressions also hold
# tests/lsan-wayland.supp; they come after the caller's options, which would
# otherwise name the shared file alone.
e2e_viewer_env() {
  E2E_VIEWER_ENV=()
  [ "$E2E_SANITIZED" = 1 ] || return 0
  e2e_helper keep_modules -shared -fPIC
  local suppressions=$E2E_SOURCE_DIR/tests/lsan.supp
  if [ "$E2E_WAYLAND" != 0 ]; then
    cat "$suppressions" "$E2E_SOURCE_DIR/tests/lsan-wayland.supp" >"$E2E_DIR/lsan.supp"
    suppressions=$E2E_DIR/lsan.supp
  fi
  E2E_VIEWER_ENV=("LD_PRELOAD=$E2E_HELPER${LD_PRELOAD:+:$LD_PRELOAD}"
    "ASAN_OPTIONS=detect_leaks=1:verify_asan_link_order=0${ASAN_OPTIONS:+:$ASAN_OPTIONS}"
    "LSAN_OPTIONS=${LSAN_OPTIONS:+$LSAN_OPTIONS:}suppressions=$suppressions")
}

# ---- The Windows viewer under Wine ------------------------------------------------------

e2e_wine_bin() {  # prints the 64-bit Wine loader: Debian 12 keeps it off the PATH
  local bin
  for bin in /usr/lib/wine/wine64 /usr/lib/wine/wine "$(command -v wine64)" "$(command -v wine)"; do
    [ -n "$bin" ] && [ -x "$bin" ] && { echo "$bin"; return 0; }
  done
  return 1
}

# A prefix of our own: no Mono or Gecko prompts, and NanumGothic for the fonts
# the boxes ask for (without it Hangul shows as empty boxes). Making one takes
# some 20 s, so HELIORA_WINE_TEMPLATE names a prefix that the first test makes
# (the others wait for it) and every test then copies: hard links for its files,
# which Wine only reads, real copies of the registry, which it rewrites. Each
# copy has its own wineserver, so tests can run side by side.
# HELIORA_WINE_PREFIX names a prefix to use as it is.
e2e_make_wine_prefix() {  # DIR
  local wine
  wine=$(e2e_wine_bin) || e2e_fail "Wine is not installed"
  [ -f "$1/.heliora-fonts" ] && return 0
  WINEPREFIX=$1 LC_ALL=C.UTF-8 timeout 180 "$wine" wineboot -i >"$E2E_DIR/wineboot.log" 2>&1 ||
    e2e_fail "wineboot failed: $(tail -3 "$E2E_DIR/wineboot.log")"
  printf 'REGEDIT4\n\n[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\n"Tahoma"="NanumGothic"\n"MS Shell Dlg"="NanumGothic"\n"MS Shell Dlg 2"="NanumGothic"\n"Segoe UI"="NanumGothic"\n' >"$E2E_DIR/fonts.reg"
  WINEPREFIX=$1 LC_ALL=C.UTF-8 timeout 60 "$wine" regedit /S "$(winepath_of "$E2E_DIR/fonts.reg")" >>"$E2E_DIR/wineboot.log" 2>&1 &&
    WINEPREFIX=$1 timeout 60 "$(dirname "$wine")/wineserver" -w || e2e_fail "cannot set the Wine font replacements"
  touch "$1/.heliora-fonts"
}

e2e_wine_prefix() {
  local template=${HELIORA_WINE_TEMPLATE:-}
  export WINEPREFIX=${HELIORA_WINE_PREFIX:-$E2E_DIR/wine} WINEDEBUG=${E2E_WINEDEBUG:--all} WINEDLLOVERRIDES="mscoree,mshtml="
  [ -f "$WINEPREFIX/.heliora-fonts" ] && return 0
  if [ -n "$template" ] && [ -z "${HELIORA_WINE_PREFIX:-}" ]; then
    mkdir -p "$(dirname "$template")"
    (flock 8 && e2e_make_wine_prefix "$template") 8>"$template.lock" || e2e_fail "no Wine prefix in $template"
    cp -al "$template" "$WINEPREFIX" && rm -f "$WINEPREFIX"/*.reg && cp "$template"/*.reg "$WINEPREFIX/" ||
      e2e_fail "cannot copy the Wine prefix $template"
    return 0
  fi
  e2e_make_wine_prefix "$WINEPREFIX"
}

e2e_wine_major() {  # prints Wine's major version: 8 on Debian 12, 10 on Debian 13
  "$(e2e_wine_bin)" --version 2>/dev/null | sed -E 's/^wine-([0-9]+).*/\1/;t;s/.*/0/'
}

winepath_of() { echo "Z:${1//\//\\}"; }

e2e_start_viewer() {  # [PICTURE TO LEAVE OUT...]
  local workdir="$E2E_DIR/${E2E_RUN_DIR:-run}" file
  e2e_prepare_pictures "$workdir"
  for file in "$@"; do rm -f "$workdir/$file"; done
  e2e_viewer_env
  if [ "$E2E_WINE" = 1 ]; then
    e2e_wine_prefix
    # Wine reads Unix file names (the working directory's) in the locale's
    # character set: UTF-8, whatever the caller's locale.
    (cd "$workdir" && LC_ALL=C.UTF-8 exec "$(e2e_wine_bin)" "$E2E_VIEWER" >"$E2E_DIR/viewer.out" 2>"$E2E_DIR/viewer.err") &
    E2E_VIEWER_PID=$!
    e2e_log "Windows viewer started under Wine (pid $E2E_VIEWER_PID) in $workdir"
    return 0
  fi
  # Under Wayland the viewer traces its requests (e2e_cursor_over reads them).
  [ "$E2E_WAYLAND" = 0 ] || E2E_VIEWER_ENV+=(WAYLAND_DEBUG=client)
  (cd "$workdir" &&
    exec env "${E2E_VIEWER_ENV[@]}" "$E2E_VIEWER" >"$E2E_DIR/viewer.out" 2>"$E2E_DIR/viewer.err") &
  E2E_VIEWER_PID=$!
  e2e_log "viewer started (pid $E2E_VIEWER_PID) in $workdir"
}

e2e_wait_exit() {  # [SECONDS]
  local limit=${1:-20} i
  for i in $(seq $((limit * 10))); do
    kill -0 "$E2E_VIEWER_PID" 2>/dev/null || break
    sleep "$E2E_POLL"
  done
  if kill -0 "$E2E_VIEWER_PID" 2>/dev/null; then
    e2e_stop_process "$E2E_VIEWER_PID"
    e2e_fail "the viewer did not end within $limit s"
  fi
  wait "$E2E_VIEWER_PID"
  E2E_EXIT_CODE=$?
  E2E_VIEWER_PID=""
  # A sanitizer report (an error, a leak at exit) fails the test even when the
  # exit code is the expected one.
  if grep -Eq '^==[0-9]+==ERROR: |: runtime error: |Sanitizer:DEADLYSIGNAL' "$E2E_DIR/viewer.err"; then
    e2e_fail "sanitizer report from the viewer (exit code $E2E_EXIT_CODE)"
  fi
}

# A field of the running viewer's /proc status in kB (VmRSS, VmHWM).
e2e_status_kb() {  # FIELD
  awk -v key="$1:" '$1 == key { print $2 }' "/proc/$E2E_VIEWER_PID/status"
}

e2e_cpu_ms() {  # (user and system time, after the command name in parentheses)
  sed 's/.*) //' "/proc/$E2E_VIEWER_PID/stat" | awk -v hz="$(getconf CLK_TCK)" '{ print int(($12 + $13) * 1000 / hz) }'
}

e2e_start_counted_viewer() {  # [PICTURE TO LEAVE OUT...]
  if [ "$E2E_WINE" = 1 ]; then
    E2E_WINEDEBUG=trace+wgl e2e_start_viewer "$@"
    return 0
  fi
  e2e_helper count_swaps -shared -fPIC -ldl
  : >"$E2E_DIR/swaps"
  HELIORA_SWAP_COUNT="$E2E_DIR/swaps" LD_PRELOAD="$E2E_HELPER${LD_PRELOAD:+:$LD_PRELOAD}" e2e_start_viewer "$@"
}

e2e_swaps() {  # (Wine 8 and 10 name the driver's swap differently)
  if [ "$E2E_WINE" = 1 ]; then
    grep -cE ':trace:wgl:(glxdrv_wglSwapBuffers|x11drv_swap_buffers) ' "$E2E_DIR/viewer.err"
  else
    stat -c %s "$E2E_DIR/swaps"
  fi
}

# How many files the running viewer holds open. A Windows program's handles
# to files, mappings and the display are the wineserver's descriptors (its
# prefix's own server: one per test), so under Wine those are counted too.
e2e_open_files() {
  local count pid
  count=$(ls "/proc/$E2E_VIEWER_PID/fd" 2>/dev/null | wc -l)
  if [ "$E2E_WINE" = 1 ]; then
    for pid in /proc/[0-9]*; do
      [[ $(readlink "$pid/exe" 2>/dev/null) == */wineserver* ]] &&
        tr '\0' '\n' <"$pid/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
        count=$((count + $(ls "$pid/fd" 2>/dev/null | wc -l)))
    done
  fi
  echo "$count"
}

e2e_expect_exit() {  # CODE [SECONDS]
  e2e_wait_exit "${2:-20}"
  [ "$E2E_EXIT_CODE" = "$1" ] || e2e_fail "exit code $E2E_EXIT_CODE, expected $1"
}

# ---- Windows ---------------------------------------------------------------------------

# Ids (decimal) of the viewable windows whose title is exactly TITLE.
e2e_windows_titled() {  # TITLE
  local id
  if [ "$E2E_WAYLAND" = 1 ]; then
    e2e_sway_windows | while read -r id _ _ _ _ title; do [ "$title" != "$1" ] || echo "$id"; done
    return 0
  fi
  # Titles are UTF-8 (a Korean caption); xwininfo prints them only under a UTF-8 locale.
  for id in $(LC_ALL=C.UTF-8 xwininfo -root -tree 2>/dev/null | awk -v title="$1" '
      { start = index($0, "\"")
        if (start == 0) next
        rest = substr($0, start + 1)
        end = index(rest, "\": ")
        if (end > 0 && substr(rest, 1, end - 1) == title) print $1 }'); do
    xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo $((id))
  done
}

# Titles of the viewable top-level windows other than the scene's ("Heliora"),
# one a line: the boxes that are open.
e2e_other_windows() {
  local id title
  if [ "$E2E_WAYLAND" = 1 ]; then
    e2e_sway_windows | while read -r id _ _ _ _ title; do [ "$title" = Heliora ] || echo "$title"; done
    return 0
  fi
  LC_ALL=C.UTF-8 xwininfo -root -children 2>/dev/null |
    sed -n 's/^ *\(0x[0-9a-f]*\) "\(.*\)": .*/\1 \2/p' |
    while read -r id title; do
      [ "$title" = Heliora ] && continue
      xwininfo -id "$id" 2>/dev/null | grep -q 'Map State: IsViewable' && echo "$title"
    done
}

e2e_find_window() {  # TITLE
  local id
  id=$(e2e_windows_titled "$1" | head -n1)
  [ -n "$id" ] || return 1
  echo "$id"
}

e2e_wait_window() {  # TITLE [SECONDS]
  local limit=${2:-15} i
  E2E_WINDOW=""
  for i in $(seq $((limit * 10))); do
    E2E_WINDOW=$(e2e_find_window "$1") && { e2e_note_box_processes; return 0; }
    if [ -n "$E2E_VIEWER_PID" ] && ! kill -0 "$E2E_VIEWER_PID" 2>/dev/null; then
      e2e_fail "the viewer ended while waiting for a window titled \"$1\""
    fi
    sleep "$E2E_POLL"
  done
  e2e_fail "no window titled \"$1\" within $limit s"
}

e2e_wait_no_window() {  # TITLE [SECONDS]
  local limit=${2:-15} i
  for i in $(seq $((limit * 10))); do
    e2e_find_window "$1" >/dev/null || return 0
    sleep "$E2E_POLL"
  done
  e2e_fail "a window titled \"$1\" is still there after $limit s"
}

e2e_wait_window_gone() {  # ID [SECONDS]
  local i
  for i in $(seq $((${2:-10} * 10))); do
    e2e_geometry "$1" >/dev/null 2>&1 || return 0
    sleep "$E2E_POLL"
  done
  e2e_fail "window $1 is still there after ${2:-10} s"
}

e2e_screen_size() {  # prints "WIDTH HEIGHT"
  if [ "$E2E_WAYLAND" = 1 ]; then
    swaymsg -t get_outputs 2>/dev/null | jq -r '.[0].rect | "\(.width) \(.height)"'
  else
    xwininfo -root | awk '/^ *Width:/ { w = $NF } /^ *Height:/ { print w, $NF }'
  fi
}

e2e_geometry() {  # ID
  if [ "$E2E_WAYLAND" = 1 ]; then
    e2e_sway_windows | awk -v id="$1" '$1 == id { print $2, $3, $4, $5; found = 1 } END { exit !found }'
    return
  fi
  xwininfo -id "$1" 2>/dev/null | awk '
    /Absolute upper-left X:/ { x = $NF } /Absolute upper-left Y:/ { y = $NF }
    /^ *Width:/ { w = $NF } /^ *Height:/ { h = $NF }
    END { if (w == "") exit 1; print x, y, w, h }'
}

# Where the scene window belongs. The viewer puts the outer top-left corner of
# its window at the screen's (0,0); a windowed client area lies inside the
# frame. No window manager frames the Linux viewer's window here, so its client
# area is at (0,0). Wine draws no frame without one either, yet places the
# window as Windows does: the client area sits a sizing frame's width in (the
# border width plus 3) and a frame and caption bar (its height plus 1) down,
# by the prefix's window metrics. Prints "SIDE TOP".
e2e_frame() {
  [ "$E2E_WINE" = 1 ] || { echo "0 0"; return 0; }
  local border caption
  border=$(sed -n 's/^"BorderWidth"="\([0-9]*\)".*/\1/p' "$WINEPREFIX/user.reg" | head -n1)
  caption=$(sed -n 's/^"CaptionHeight"="\([0-9]*\)".*/\1/p' "$WINEPREFIX/user.reg" | head -n1)
  echo "$((${border:-1} + 3)) $((${border:-1} + 3 + ${caption:-18} + 1))"
}

# Checks that E2E_WINDOW is the scene window, windowed (its frame's corner at
# 0,0, an 800 x 600 client area) or full screen (800 x 600 at 0,0). Windows
# makes a new window no larger than the default maximum tracking size, the
# screen's plus twice the frame and 4 pixels (WM_GETMINMAXINFO): on an
# 800 x 600 screen the framed window is cut to fit and its client area with
# it. Wine does the same.
e2e_expect_scene() {  # WHEN windowed|full
  local x y width height side top screen want="800 x 600 at 0,0"
  read -r x y width height <<<"$(e2e_geometry "$E2E_WINDOW")"
  if [ "$2" = windowed ]; then
    read -r side top <<<"$(e2e_frame)"
    read -r _ screen <<<"$(e2e_screen_size)"
    want="800 x $((screen + side + 4 - top < 600 ? screen + side + 4 - top : 600)) at $side,$top"
  fi
  [ "$width x $height at $x,$y" = "$want" ] ||
    e2e_fail "$1: the $2 client area is $width x $height at $x,$y, expected $want"
}

e2e_window_state() {  # ID
  xprop -id "$1" _NET_WM_STATE 2>/dev/null | sed -n 's/^_NET_WM_STATE(ATOM) = //p'
}

# Sets E2E_HELPER to the small X or Wayland client or preloaded library NAME
# (tests/e2e/NAME.c, with the protocol NAME.xml if there is one): the one
# built with the tests, or one built here when the build tree has none (the
# libraries always are: unsanitized, whatever the tree).
e2e_helper() {  # NAME LIBRARIES...
  local name=$1
  shift
  E2E_HELPER="${HELIORA_BUILD_DIR:-}/tests/$name"
  [ -n "${HELIORA_BUILD_DIR:-}" ] && [ -x "$E2E_HELPER" ] && return 0
  E2E_HELPER="$E2E_DIR/$name"
  [ -x "$E2E_HELPER" ] && return 0
  local source=$E2E_SOURCE_DIR/tests/e2e/$name protocol=()
  if [ -f "$source.xml" ]; then  # a Wayland client: its protocol's code first
    wayland-scanner client-header "$source.xml" "$E2E_DIR/$name-client-protocol.h" &&
      wayland-scanner private-code "$source.xml" "$E2E_DIR/$name-protocol.c" || e2e_fail "cannot make $name's protocol code"
    protocol=(-I"$E2E_DIR" "$E2E_DIR/$name-protocol.c")
  fi
  cc -o "$E2E_HELPER" "$source.c" "${protocol[@]}" "$@" || e2e_fail "cannot build $name"
}

e2e_close() {  # ID
  if [ "$E2E_WAYLAND" = 1 ]; then
    swaymsg "[con_id=$1] kill" >/dev/null || e2e_fail "could not ask window $1 to close"
    return 0
  fi
  e2e_helper xclose -lX11
  "$E2E_HELPER" "$1" || e2e_fail "could not send WM_DELETE_WINDOW to $1"
}

# Moves the pointer to the window's centre and prints "shown" or "hidden".
e2e_cursor_over() {  # ID
  local x y width height
  if [ "$E2E_WAYLAND" = 1 ]; then  # the cursor the viewer sets as the pointer enters: none is hidden
    # (a named cursor goes by the cursor-shape protocol where the compositor has it)
    local before i set='wl_pointer#[0-9]+\.set_cursor\(|wp_cursor_shape_device_v1#[0-9]+\.set_shape\('
    read -r x y width height <<<"$(e2e_geometry "$1")"
    before=$(wc -l <"$E2E_DIR/viewer.err")
    e2e_input move $((x + 1)) $((y + 1))
    e2e_input move $((x + width / 2)) $((y + height / 2))
    for i in $(seq 50); do  # a window still busy with its textures answers late
      tail -n +"$before" "$E2E_DIR/viewer.err" | grep -qE "$set" && break
      sleep "$E2E_POLL"
    done
    sleep 0.3
    grep -E "$set" "$E2E_DIR/viewer.err" | tail -n1 | grep -q 'set_cursor(.*, nil, ' &&
      echo hidden || echo shown
    return 0
  fi
  e2e_helper xcursor -lX11 -lXfixes
  read -r x y width height <<<"$(e2e_geometry "$1")"
  xdotool mousemove --window "$1" $((width / 2)) $((height / 2)) || e2e_fail "cannot move the pointer"
  sleep 0.3  # the window sets its cursor when the pointer enters
  # Wine gives its window an empty X cursor until it has handled a move inside.
  [ "$E2E_WINE" = 0 ] || { xdotool mousemove_relative 1 1 && sleep 0.5; }
  "$E2E_HELPER" || e2e_fail "cannot read the cursor"
}

# ---- Input ------------------------------------------------------------------------------

e2e_focus() {  # ID
  if [ "$E2E_WINE" = 1 ]; then
    local x y width height
    read -r x y width height <<<"$(e2e_geometry "$1")"
    # No --sync: it would wait for ever when the pointer is there already.
    xdotool mousemove --window "$1" $((width / 2)) $((height / 2)) && sleep 0.1 && xdotool click 3 ||
      e2e_fail "could not activate window $1"
    sleep 0.2
    return 0
  fi
  if [ "$E2E_WAYLAND" = 1 ]; then
    local i
    swaymsg "[con_id=$1] focus" >"$E2E_DIR/focus.out" 2>&1 || e2e_fail "could not focus window $1: $(cat "$E2E_DIR/focus.out")"
    for i in $(seq 50); do
      [ "$(swaymsg -t get_tree | jq ".. | objects | select(.id? == $1) | .focused")" = true ] && break
      sleep "$E2E_POLL"
    done
    # The first keys that a newly focused window would get from wlinput go
    # nowhere while sway hands it the keyboard: a Shift tap spends them.
    e2e_key_down Shift_L && e2e_key_up Shift_L && sleep 0.3
    return 0
  fi
  # --sync waits for the focus to arrive; timeout guards against a window that never takes it
  timeout 5 xdotool windowfocus --sync "$1" 2>/dev/null || e2e_fail "could not focus window $1"
}

e2e_key_down() { if [ "$E2E_WAYLAND" = 1 ]; then e2e_input key "$1" down; else xdotool keydown "$1"; fi; }
e2e_key_up() { if [ "$E2E_WAYLAND" = 1 ]; then e2e_input key "$1" up; else xdotool keyup "$1"; fi; }

e2e_key() {  # KEYS: key names joined by +, the modifiers first
  [ "$E2E_WAYLAND" = 1 ] || { xdotool key "$1"; return; }
  local keys=() i
  IFS=+ read -ra keys <<<"$1"
  for i in "${!keys[@]}"; do
    case ${keys[i]} in alt | shift | super) keys[i]=${keys[i]^}_L ;; ctrl) keys[i]=Control_L ;; esac
    e2e_key_down "${keys[i]}"
  done
  for ((i = ${#keys[@]} - 1; i >= 0; i--)); do e2e_key_up "${keys[i]}"; done
}

e2e_move_pointer() {  # X Y
  if [ "$E2E_WAYLAND" = 1 ]; then e2e_input move "$1" "$2"; else xdotool mousemove "$1" "$2"; fi
}

e2e_hold_key() {  # ID KEY [SECONDS]
  e2e_focus "$1"
  e2e_key_down "$2"
  sleep "${3:-0.5}"
  e2e_key_up "$2"
}

# Moves the pointer to X,Y in the window and waits until it is there. xdotool's
# `mousemove --window ID --sync` waits for a move that never comes when the
# pointer is there already (a 1 x 1 window leaves it no other place), so that
# case is left alone.
e2e_pointer_to() {  # ID X Y
  local wx wy X Y SCREEN WINDOW
  read -r wx wy _ <<<"$(e2e_geometry "$1")" || return 1
  if [ "$E2E_WAYLAND" = 1 ]; then  # a button at once after the pointer enters goes unseen
    e2e_input move $((wx + $2)) $((wy + $3)) && sleep 0.2
    return 0
  fi
  eval "$(xdotool getmouselocation --shell)"
  [ "$X,$Y" = "$((wx + $2)),$((wy + $3))" ] && return 0
  timeout 5 xdotool mousemove --window "$1" --sync "$2" "$3"
}

# The pointer gets there before the button goes down.
e2e_click() {  # ID X Y [BUTTON]
  e2e_pointer_to "$@" || e2e_fail "could not move the pointer to $2,$3 in window $1"
  if [ "$E2E_WAYLAND" = 1 ]; then
    e2e_input button "${4:-1}" down && e2e_input button "${4:-1}" up
    return 0
  fi
  xdotool click "${4:-1}" || e2e_fail "could not click at $2,$3 in window $1"
}

# ---- Message boxes ------------------------------------------------------------------------

e2e_box_key() {  # CAPTION KEY [SECONDS]
  local x y width height
  e2e_wait_window "$1" "${3:-15}"
  if [ "$E2E_WINE" = 1 ]; then  # keys go to the window under the pointer
    read -r x y width height <<<"$(e2e_geometry "$E2E_WINDOW")"
    xdotool mousemove $((x + width / 2)) $((y + height / 4)) || e2e_fail "cannot reach the box"
    sleep 0.3
  else
    e2e_focus "$E2E_WINDOW"
  fi
  e2e_key "$2"
}

# A checksum of the pixels in window ID's area.
e2e_picture_sum() {  # ID
  local x y w h
  read -r x y w h <<<"$(e2e_geometry "$1")" || return 1
  e2e_grab - "$x" "$y" "$w" "$h" 2>/dev/null | md5sum
}

# The viewer's child processes (a box's, on X11), for e2e_back_from_box.
E2E_BOX_PIDS=""
e2e_note_box_processes() {
  E2E_BOX_PIDS=""
  [ "$E2E_WINE" = 0 ] && [ -n "$E2E_VIEWER_PID" ] || return 0
  E2E_BOX_PIDS=$(ps -o pid= --ppid "$E2E_VIEWER_PID" | tr -s ' \n' ',' | sed 's/^,//; s/,$//')
}

e2e_box_processes_left() { [ -n "$E2E_BOX_PIDS" ] && [ -n "$(ps -o pid= -p "$E2E_BOX_PIDS")" ]; }

# The viewer is not back from a box when the box's window goes: SDL's X11 box
# is drawn by a child process that the viewer waits for, and the input the
# viewer finds pending once that wait is over counts as made while the box was
# open and is dropped; a key sent as soon as the window is gone may be in it.
# So this waits until the box's window is gone, then until the viewer has
# collected the box's process (the children it had when the box's window was
# found, by e2e_wait_window; an ended child is listed until collected), then,
# while a scene window is there and the model moves (E2E_ANIMATING, default
# 1), until a new frame shows in it: the loop runs again. A viewer that ends
# after the box (the "ERROR" box) is back at once.
e2e_back_from_box() {  # CAPTION [SECONDS]
  local limit=${2:-5} i scene before
  e2e_wait_no_window "$1" "$limit"
  # (Under Wine the box is the viewer's own window: there is no process.)
  for i in $(seq $((limit * 10))); do
    [ -n "$E2E_VIEWER_PID" ] && kill -0 "$E2E_VIEWER_PID" 2>/dev/null || return 0
    e2e_box_processes_left || break
    sleep "$E2E_POLL"
  done
  ! e2e_box_processes_left ||
    e2e_fail "the viewer did not collect the process of the box \"$1\" within $limit s"
  [ "${E2E_ANIMATING:-1}" = 1 ] || return 0
  scene=$(e2e_find_window Heliora) || return 0  # F1's new window is not there yet
  e2e_wait_frame "$scene" "$limit"
}

# Waits until the picture in window ID changes: the loop draws. A new window is
# shown before its textures are made, so a key for a new window waits for this
# to reach a window that is ready for it. A viewer that ends meanwhile is let go.
e2e_wait_frame() {  # ID [SECONDS]
  local limit=${2:-15} before i
  before=$(e2e_picture_sum "$1")
  for i in $(seq $((limit * 10))); do
    [ "$(e2e_picture_sum "$1")" != "$before" ] && return 0
    kill -0 "$E2E_VIEWER_PID" 2>/dev/null || return 0
    sleep "$E2E_POLL"
  done
  e2e_fail "no new frame in window $1 within $limit s"
}

e2e_answer_box() {  # CAPTION KEY [SECONDS]
  e2e_box_key "$@"
  e2e_back_from_box "$1"
}

# No in a Yes/No box: its button (SDL's box has no keys for it), or its
# mnemonic N (Windows).
e2e_answer_no() {  # CAPTION
  if [ "$E2E_WINE" = 1 ]; then e2e_answer_box "$1" n; else e2e_click_box_button "$1" 1 2; fi
}

# Screen position "X Y" of the centre of button INDEX of COUNT: the box's width
# is cut into COUNT equal slices, which hold one button each, and the button is
# the patch of button colour in its slice. A Windows box's buttons have the
# box's own face: there the button is the dark frame in the slice's lower half,
# below the text and the icon.
e2e_box_button_centre() {  # ID INDEX COUNT
  local x y w h slice left box bw bh bx by top=0 find
  read -r x y w h <<<"$(e2e_geometry "$1")" || return 1
  slice=$((w / $3))
  left=$((x + $2 * slice))
  find=(-fuzz 2% -fill white -opaque "$E2E_BUTTON_COLOUR" -fill black +opaque white)
  [ "$E2E_WINE" = 1 ] && top=$((h / 2)) find=(-colorspace Gray -threshold 50% -negate)
  box=$(e2e_grab - "$left" $((y + top)) "$slice" $((h - top)) 2>/dev/null |
    convert - "${find[@]}" -format '%@' info: 2>/dev/null)
  [[ $box =~ ^([0-9]+)x([0-9]+)\+([0-9]+)\+([0-9]+)$ ]] || return 1
  bw=${BASH_REMATCH[1]} bh=${BASH_REMATCH[2]} bx=${BASH_REMATCH[3]} by=${BASH_REMATCH[4]}
  [ "$bw" -gt 1 ] && [ "$bh" -gt 1 ] || return 1
  echo "$((left + bx + bw / 2)) $((y + top + by + bh / 2))"
}

e2e_click_box_button() {  # CAPTION INDEX COUNT [SECONDS]
  local centre
  e2e_wait_window "$1" "${4:-15}"
  sleep 0.3  # the box draws itself after it is mapped
  centre=$(e2e_box_button_centre "$E2E_WINDOW" "$2" "$3") ||
    e2e_fail "no button $2 of $3 found in the box \"$1\""
  e2e_move_pointer $centre
  if [ "$E2E_WAYLAND" = 1 ]; then e2e_input button 1 down && e2e_input button 1 up; else xdotool click 1; fi
  e2e_back_from_box "$1"
}

# The text of the box E2E_WINDOW in a screenshot, white on black, the button
# row cut off: SDL's box draws it in its text colour, with the buttons in the
# bottom 50 rows; a Windows box draws it in whatever differs from its face,
# with the buttons in the bottom 40.
e2e_box_ink() {  # SCREENSHOT OUT
  local x y w h
  read -r x y w h <<<"$(e2e_geometry "$E2E_WINDOW")"
  if [ "$E2E_WINE" = 1 ]; then
    convert "$1" -crop "${w}x$((h - 40))+$x+$y" +repage -fuzz 15% -fill black \
      -opaque "$(convert "$1" -format "%[pixel:p{$((x + 4)),$((y + 4))}]" info:)" -fill white +opaque black "$2"
  else
    convert "$1" -crop "${w}x$((h - 50))+$x+$y" +repage \
      -fuzz 10% -fill white -opaque "$E2E_TEXT_COLOUR" -fill black +opaque white "$2"
  fi
}

# ---- Screenshots --------------------------------------------------------------------------

# FILE (a PNG, or - for PPM on standard output) of the screen or of its part.
e2e_grab() {  # FILE [X Y WIDTH HEIGHT]
  local out=$1
  if [ "$E2E_WAYLAND" = 1 ]; then
    [ "$out" = - ] && out="-t ppm -"
    # shellcheck disable=SC2086
    grim ${5:+-g "$2,$3 $4x$5"} $out
  else
    [ "$out" = - ] && out=ppm:-
    import -window root ${5:+-crop "$4x$5+$2+$3" +repage} "$out"
  fi
}

e2e_screenshot() {  # FILE [ID]
  local geometry=""
  if [ -n "${2:-}" ]; then
    geometry=$(e2e_geometry "$2")
  fi
  # shellcheck disable=SC2086
  e2e_grab "$1" $geometry
}
