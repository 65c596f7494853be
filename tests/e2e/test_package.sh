# The Debian package, built with cpack from the build tree into a scratch
# directory (never installed here): its control fields, its files, and the
# viewer started from an unpacked copy through its `heliora` command, from an
# unrelated directory, which must find its eleven pictures and show a drawn,
# coloured "Heliora" window without any box, and end with exit code 0 on its
# close button. `cmake --install --prefix` must lay down the same files, and
# the desktop entry must name the command and the pictures where each put them.
source "$HELIORA_E2E_LIB" "$@"
source "$(dirname "$HELIORA_E2E_LIB")/pixels.sh"

build=${HELIORA_BUILD_DIR:?the package test needs the build tree (HELIORA_BUILD_DIR)}
[ -f "$build/CPackConfig.cmake" ] || e2e_fail "no CPackConfig.cmake in $build"
command -v dpkg-deb >/dev/null || e2e_fail "dpkg-deb is not installed"

readonly FILES=(
  bin/heliora bin/heliora-pictures lib/heliora/heliora
  share/applications/heliora.desktop share/icons/hicolor/scalable/apps/heliora.svg
  "${E2E_PICTURES[@]/#/share/heliora/pictures/}")
# What the programs are linked with, what SDL opens at run time, and what
# draws the boxes (X fonts; zenity and a fontconfig font on Wayland).
readonly DEPENDS=(libc6 libstdc++6 libgcc-s1 libsdl2-2.0-0 libopengl0 libgl1 libglu1-mesa
                  libgl1-mesa-dri xfonts-base xfonts-baekmuk zenity fonts-nanum)

# ---- Build and read the package -----------------------------------------------------

packages="$E2E_DIR/packages"
mkdir -p "$packages"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$packages" >"$E2E_DIR/cpack.log" 2>&1 ||
  { cat "$E2E_DIR/cpack.log" >&2; e2e_fail "cpack failed"; }
mapfile -t debs < <(find "$packages" -maxdepth 1 -name '*.deb')
[ ${#debs[@]} = 1 ] || e2e_fail "cpack made ${#debs[@]} packages, expected one"
deb=${debs[0]}
e2e_log "$(basename "$deb"): $(stat -c %s "$deb") bytes"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = heliora ] || e2e_fail "Package is \"$(field Package)\""
[ "$(field Version)" = 1.0.0 ] || e2e_fail "Version is \"$(field Version)\""
[ "$(field Architecture)" = "$(dpkg --print-architecture)" ] ||
  e2e_fail "Architecture is \"$(field Architecture)\""
for name in Maintainer Description Section; do
  [ -n "$(field "$name")" ] || e2e_fail "no $name field"
done
read -r -a depends <<<"$(field Depends | tr -d ',')"
for package in "${DEPENDS[@]}"; do
  [[ " ${depends[*]} " == *" $package "* ]] || e2e_fail "Depends lacks $package: $(field Depends)"
done
[[ "$(field Recommends)" == *libdecor-0-plugin-1-* ]] ||
  e2e_fail "Recommends lacks a libdecor plugin: $(field Recommends)"

# Every file under /usr, with its mode; nothing else.
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { print $1, $2, $6 }' | sort -k3 >"$E2E_DIR/contents"
[ "$(wc -l <"$E2E_DIR/contents")" = ${#FILES[@]} ] ||
  e2e_fail "the package holds $(wc -l <"$E2E_DIR/contents") files, expected ${#FILES[@]}: $(cat "$E2E_DIR/contents")"
for file in "${FILES[@]}"; do
  line=$(awk -v path="./usr/$file" '$3 == path' "$E2E_DIR/contents")
  [ -n "$line" ] || e2e_fail "the package lacks /usr/$file"
  case "$file" in
    bin/* | lib/*) mode=-rwxr-xr-x ;;
    *) mode=-rw-r--r-- ;;
  esac
  [ "${line%% *}" = "$mode" ] || e2e_fail "/usr/$file is ${line%% *}, expected $mode"
  [[ $line == *" root/root "* ]] || e2e_fail "/usr/$file is not owned by root: $line"
done

root="$E2E_DIR/root"
dpkg-deb -x "$deb" "$root" || e2e_fail "dpkg-deb -x failed"

desktop="$root/usr/share/applications/heliora.desktop"
grep -qx 'Type=Application' "$desktop" && grep -qx 'Name=Heliora' "$desktop" &&
  grep -qx 'Icon=heliora' "$desktop" && grep -qx 'Exec=/usr/bin/heliora' "$desktop" &&
  grep -qx 'Path=/usr/share/heliora/pictures' "$desktop" ||
  e2e_fail "the desktop entry does not start /usr/bin/heliora in /usr/share/heliora/pictures: $(cat "$desktop")"
grep -q '<svg' "$root/usr/share/icons/hicolor/scalable/apps/heliora.svg" || e2e_fail "the icon is no SVG"
head -n1 "$root/usr/bin/heliora" | grep -qx '#!/bin/sh' || e2e_fail "bin/heliora is not the start script"
for file in "${E2E_PICTURES[@]}"; do
  cmp -s "$root/usr/share/heliora/pictures/$file" "$build/pictures/$file" ||
    e2e_fail "the packaged $file differs from the build's"
done

# The programs must not look for libraries in the build tree, and every library
# they are linked with must come from a package named in Depends.
sanitizer_libraries='^lib(asan|ubsan)'
for program in usr/lib/heliora/heliora usr/bin/heliora-pictures; do
  ! readelf -d "$root/$program" | grep -Eq 'RPATH|RUNPATH' || e2e_fail "$program carries a library path"
  for library in $(readelf -d "$root/$program" | sed -n 's/.*Shared library: \[\(.*\)\]/\1/p'); do
    [ "$E2E_SANITIZED" = 1 ] && [[ $library =~ $sanitizer_libraries ]] && continue
    path=$(ldd "$root/$program" | awk -v lib="$library" '$1 == lib { print $3 }')
    [ -n "$path" ] || e2e_fail "$program: $library is not found"
    path=$(realpath "$path")
    owner=$({ dpkg -S "$path" || dpkg -S "${path#/usr}"; } 2>/dev/null | head -n1 | cut -d: -f1)
    [ -n "$owner" ] || e2e_fail "$program: no package holds $path"
    [[ " ${depends[*]} " == *" $owner "* ]] ||
      e2e_fail "$program is linked with $library from $owner, which Depends does not name"
  done
done

# ---- The same files from cmake --install --prefix ----------------------------------------

prefix="$E2E_DIR/prefix"
cmake --install "$build" --prefix "$prefix" >"$E2E_DIR/install.log" 2>&1 ||
  { cat "$E2E_DIR/install.log" >&2; e2e_fail "cmake --install failed"; }
diff <(cd "$root/usr" && find . -type f | sort) <(cd "$prefix" && find . -type f | sort) >&2 ||
  e2e_fail "cmake --install puts other files than the package"
grep -qx "Exec=$prefix/bin/heliora" "$prefix/share/applications/heliora.desktop" &&
  grep -qx "Path=$prefix/share/heliora/pictures" "$prefix/share/applications/heliora.desktop" ||
  e2e_fail "the installed desktop entry does not name $prefix: $(cat "$prefix/share/applications/heliora.desktop")"

# ---- The unpacked viewer, started as the desktop would --------------------------------------

e2e_start_xvfb 1024x768x24
e2e_viewer_env
mkdir -p "$E2E_DIR/elsewhere"
(cd "$E2E_DIR/elsewhere" &&
  exec env "${E2E_VIEWER_ENV[@]}" "$root/usr/bin/heliora" >"$E2E_DIR/viewer.out" 2>"$E2E_DIR/viewer.err") &
E2E_VIEWER_PID=$!
e2e_wait_window Heliora 20
window=$E2E_WINDOW
px_wait_drawn "$window" "$E2E_DIR/drawn.png"
sleep 1
# A missing picture would have been told in an "Error" box by now.
boxes=$(e2e_other_windows)
[ -z "$boxes" ] || e2e_fail "the unpacked viewer opened boxes: $boxes"
e2e_screenshot "$E2E_DIR/window.png" "$window"
coloured=$(px_chroma "$E2E_DIR/window.png")
[ "$coloured" -ge 1000 ] || e2e_fail "only $coloured coloured pixels: the bodies wear no maps"
[ "$(readlink -f "/proc/$E2E_VIEWER_PID/cwd")" = "$(readlink -f "$root/usr/share/heliora/pictures")" ] ||
  e2e_fail "the viewer runs in $(readlink -f "/proc/$E2E_VIEWER_PID/cwd"), not in its pictures' directory"
e2e_close "$window"
e2e_expect_exit 0
e2e_pass "$(basename "$deb"): fields, ${#FILES[@]} files, same as cmake --install; unpacked viewer ran and closed with 0"
