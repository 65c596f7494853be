# The Windows installer under Wine, in the harness's private prefix ($1 is
# heliora-setup.exe):
#  - a silent install puts the programs, the eleven pictures, the readme, the
#    licence and notices, and the uninstaller into
#    %LOCALAPPDATA%\Programs\Heliora, the shortcut "Heliora" into the Start
#    menu and the program's entry under Uninstall; heliora.exe carries its
#    icon;
#  - the shortcut starts the viewer in that folder: its window wears its maps,
#    with no box about a picture;
#  - an uninstall while the viewer runs keeps the program it cannot remove
#    recorded, with the uninstaller and the entry, and says so (exit code 2);
#    Setup then takes the folder again;
#  - installing again restores a broken program and keeps a picture the user
#    saved under a body's name and the readme they edited;
#  - a silent uninstall leaves nothing of ours (files, shortcut, registry
#    entry) and keeps a picture the user added under another name, and one
#    they saved over a body's picture, and the readme they edited;
#  - installed into a folder of the user's own, and uninstalled, Setup leaves
#    their readme, picture and notes as they were; it refuses a folder that
#    holds a heliora.exe of theirs.
source "$HELIORA_E2E_LIB" "$@"
source "$(dirname "$HELIORA_E2E_LIB")/pixels.sh"

readonly KEY='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Heliora'
readonly FILES=(heliora.exe heliora-pictures.exe README.txt LICENSE.txt THIRD-PARTY.txt uninstall.exe
                "${E2E_PICTURES[@]}")
setup=$E2E_VIEWER
wine=$(e2e_wine_bin) || e2e_fail "Wine is not installed"
version=$(sed -n 's/^project(heliora VERSION \([0-9.]*\).*/\1/p' "$E2E_SOURCE_DIR/CMakeLists.txt")

png() { echo "$E2E_DIR/$1.png"; }

install_silently() {  # WHEN [/D=FOLDER]
  LC_ALL=C.UTF-8 timeout 120 "$wine" "$setup" /S ${2:+"$2"} || e2e_fail "$1: the silent install failed (exit code $?)"
}

# The uninstaller runs from a copy of itself in the temporary folder: wait for
# every process of the prefix to end.
uninstall_silently() {  # FOLDER
  LC_ALL=C.UTF-8 timeout 60 "$wine" "$1/uninstall.exe" /S || e2e_fail "the silent uninstall failed (exit code $?)"
  timeout 60 "$(dirname "$wine")/wineserver" -w || e2e_fail "Wine's processes did not end after the uninstall"
}

# The value NAME of the Uninstall entry, or nothing.
entry() {  # NAME
  LC_ALL=C.UTF-8 "$wine" reg query "$KEY" /v "$1" 2>/dev/null |
    tr -d '\r' | sed -n "s/^ *$1 *REG_[A-Z_]* *//p"
}

e2e_start_xvfb 1024x768x24
e2e_wine_prefix
# No menu entries or icons for the Linux desktop in the user's home.
export WINEDLLOVERRIDES="$WINEDLLOVERRIDES;winemenubuilder.exe=d"

install_silently "first install"
folder=("$WINEPREFIX"/drive_c/users/*/AppData/Local/Programs/Heliora)
[ -d "${folder[0]}" ] || e2e_fail "no folder Programs\\Heliora under the user's AppData\\Local"
folder=${folder[0]}
user_dir=${folder%/AppData/*}
shortcut="$user_dir/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Heliora.lnk"
for file in "${FILES[@]}"; do [ -s "$folder/$file" ] || e2e_fail "installed: no $file"; done
[ -s "$shortcut" ] || e2e_fail "no Start menu shortcut Heliora.lnk"
# heliora.exe carries its own icon (a group icon resource): Explorer's, the
# shortcut's and the Uninstall entry's. Not grep -q: under pipefail a closed
# pipe would fail objdump.
x86_64-w64-mingw32-objdump -p "$folder/heliora.exe" | grep -E '^[0-9a-f]+ +Entry: ID: 0x00000e,' >/dev/null ||
  e2e_fail "heliora.exe carries no icon"
windows_folder="C:\\users\\${user_dir##*/}\\AppData\\Local\\Programs\\Heliora"
[ "$(entry DisplayName)" = Heliora ] || e2e_fail "Uninstall entry: DisplayName \"$(entry DisplayName)\""
[ "$(entry DisplayVersion)" = "$version" ] || e2e_fail "Uninstall entry: DisplayVersion \"$(entry DisplayVersion)\", expected $version"
[ "$(entry InstallLocation)" = "$windows_folder" ] || e2e_fail "Uninstall entry: InstallLocation \"$(entry InstallLocation)\""
[ "$(entry UninstallString)" = "\"$windows_folder\\uninstall.exe\"" ] ||
  e2e_fail "Uninstall entry: UninstallString \"$(entry UninstallString)\""
for name in Publisher DisplayIcon EstimatedSize QuietUninstallString; do
  [ -n "$(entry "$name")" ] || e2e_fail "Uninstall entry: no $name"
done
e2e_log "installed in $windows_folder, $(entry EstimatedSize) (KB, hex) by the entry"

# Started from the shortcut, from an unrelated folder: Wine's `start` follows
# the link to its target and working folder, and returns at once.
(cd "$E2E_DIR" && LC_ALL=C.UTF-8 timeout 60 "$wine" start /unix "$shortcut") ||
  e2e_fail "could not start the shortcut"
e2e_wait_window Heliora 90
window=$E2E_WINDOW
px_wait_drawn "$window" "$(png start)" 30
sleep 0.5
e2e_screenshot "$(png start)" "$window"
[ -z "$(e2e_other_windows)" ] || e2e_fail "boxes beside the viewer: $(e2e_other_windows | tr '\n' ' ')"
px_expect_sun_map "$(png start)" "started from the shortcut"
[ "$(px_chroma "$(png start)")" -ge 1000 ] || e2e_fail "the bodies wear no maps"
# Run in place (_?=), the uninstaller gives its own exit code (and cannot
# remove itself: the record shows what it keeps).
code=0
LC_ALL=C.UTF-8 timeout 60 "$wine" "$folder/uninstall.exe" /S "_?=$windows_folder" || code=$?
[ "$code" = 2 ] && [ -e "$folder/heliora.exe" ] && [ -e "$folder/heliora-uninstall.ini" ] && [ -n "$(entry UninstallString)" ] ||
  e2e_fail "an uninstall while the viewer runs: exit code $code, or it dropped what it could not remove"
e2e_close "$window"
e2e_wait_no_window Heliora 30
timeout 60 "$(dirname "$wine")/wineserver" -w || e2e_fail "the viewer did not end"
install_silently "the install after an uninstall that could not finish"

# The user's own Mars map (any other picture), a picture of their own, and a
# broken program: the second install mends the program and keeps the pictures.
cp "$folder/heliora.exe" "$E2E_DIR/heliora.exe"
cp "$folder/Sun.bmp" "$folder/Mars.bmp"
cp "$folder/Sun.bmp" "$folder/my-mars.bmp"
cp "$folder/Sun.bmp" "$E2E_DIR/my-mars.bmp"
echo broken >"$folder/heliora.exe"
echo "my notes" >>"$folder/README.txt"
cp "$folder/README.txt" "$E2E_DIR/README.txt"
install_silently "second install"
cmp -s "$folder/heliora.exe" "$E2E_DIR/heliora.exe" || e2e_fail "the second install left heliora.exe broken"
cmp -s "$folder/README.txt" "$E2E_DIR/README.txt" || e2e_fail "the second install wrote over the readme the user edited"
cmp -s "$folder/Mars.bmp" "$folder/Sun.bmp" || e2e_fail "the second install overwrote the user's Mars.bmp"

uninstall_silently "$folder"
left=$(LC_ALL=C ls -A "$folder" 2>/dev/null | tr '\n' ' ')
[ "$left" = "Mars.bmp README.txt my-mars.bmp " ] || e2e_fail "after the uninstall the folder holds: ${left:-nothing (it is gone)}"
cmp -s "$folder/Mars.bmp" "$E2E_DIR/my-mars.bmp" || e2e_fail "the uninstall changed the user's Mars.bmp"
[ ! -e "$shortcut" ] || e2e_fail "the Start menu shortcut is still there"
LC_ALL=C.UTF-8 "$wine" reg query "$KEY" >/dev/null 2>&1 && e2e_fail "the Uninstall entry is still there"

# A folder of the user's own: their files stay as they were through an install
# and an uninstall. One with a heliora.exe of theirs is refused.
mine=$WINEPREFIX/drive_c/mine
mkdir -p "$mine" "$E2E_DIR/mine"
echo "my own readme" >"$mine/README.txt"
echo "my notes" >"$mine/notes.txt"
printf "BM my own Sun" >"$mine/Sun.bmp"
cp -p "$mine"/* "$E2E_DIR/mine/"
install_silently "install into C:\\mine" '/D=C:\mine'
[ -s "$mine/uninstall.exe" ] || e2e_fail "the install into C:\\mine wrote no uninstaller"
uninstall_silently "$mine"
diff -r "$mine" "$E2E_DIR/mine" >&2 || e2e_fail "install and uninstall in the user's folder changed it"
echo "my own program" >"$mine/heliora.exe"
LC_ALL=C.UTF-8 timeout 120 "$wine" "$setup" /S '/D=C:\mine' && e2e_fail "Setup took a folder with a heliora.exe of the user's"
[ "$(cat "$mine/heliora.exe")" = "my own program" ] && [ ! -e "$mine/uninstall.exe" ] ||
  e2e_fail "the refused install changed the user's folder"
e2e_pass "silent install, shortcut, maps, an uninstall of a running viewer, reinstall and uninstall keep the user's pictures and files"
