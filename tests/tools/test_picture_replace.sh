#!/usr/bin/env bash
# heliora-pictures replacing a picture: never in place, so a reader that has
# the old file open keeps reading it whole; through a link, the file it names
# is replaced and keeps its permission bits; a "<picture>.part" that is
# someone else's file is left alone; a failed write leaves no temporary.
# Usage: test_picture_replace.sh PICTURE_TOOL
#   PICTURE_TOOL may be the Windows heliora-pictures.exe: it then runs under
#   Wine in a private prefix (HELIORA_WINE_PREFIX names one to reuse).
set -euo pipefail
tool=("$1")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
windows=0
if [[ $1 == *.exe ]]; then
  windows=1
  for wine in /usr/lib/wine/wine64 /usr/lib/wine/wine "$(command -v wine64)" "$(command -v wine)"; do
    [ -x "$wine" ] && break
  done
  export WINEPREFIX=${HELIORA_WINE_PREFIX:-$work/wine} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
  tool=("$wine" "$1")
  trap '"$(dirname "$wine")/wineserver" -k 2>/dev/null; rm -rf "$work"' EXIT
fi
failures=0
fail() { echo "FAIL $*"; failures=$((failures + 1)); }
run() {  # expected-code label arguments...
  local expected=$1 label=$2 code=0
  shift 2
  "${tool[@]}" "$@" >"$work/out" 2>&1 || code=$?
  [ "$code" -eq "$expected" ] || fail "$label: exit $code, expected $expected: $(head -3 "$work/out")"
}

mkdir "$work/set" "$work/shared"
run 0 "generate" generate Sun "$work/set/Sun.bmp"
run 0 "generate Mars" generate Mars "$work/mars.bmp"
cp "$work/set/Sun.bmp" "$work/old-sun.bmp"
exec 3<"$work/set/Sun.bmp"
run 0 "generate over a picture in use" generate Mars "$work/set/Sun.bmp"
cmp -s - "$work/old-sun.bmp" <&3 || fail "generate rewrote the picture in place"
exec 3<&-
cmp -s "$work/set/Sun.bmp" "$work/mars.bmp" || fail "generate did not replace the picture"

cp "$work/old-sun.bmp" "$work/shared/sun-master.bmp"
chmod 640 "$work/shared/sun-master.bmp"
echo "someone's" >"$work/shared/sun-master.bmp.part"
ln -s ../shared/sun-master.bmp "$work/set/linked.bmp"
run 0 "generate through a link" generate Mars "$work/set/linked.bmp"
[ -L "$work/set/linked.bmp" ] || fail "the link was replaced by a file"
cmp -s "$work/shared/sun-master.bmp" "$work/mars.bmp" || fail "the linked picture was not replaced"
# Windows has no permission bits: a new file takes its folder's.
[ "$windows" = 1 ] || [ "$(stat -c %a "$work/shared/sun-master.bmp")" = 640 ] ||
  fail "permission bits: $(stat -c %a "$work/shared/sun-master.bmp"), expected 640"
[ "$(cat "$work/shared/sun-master.bmp.part")" = "someone's" ] || fail "someone's .part was overwritten"

mkdir "$work/set/Venus.bmp"
run 1 "generate over a folder" generate Venus "$work/set/Venus.bmp"
leftover=$(cd "$work" && find . -name '*.part*' ! -path ./shared/sun-master.bmp.part)
[ -z "$leftover" ] || fail "temporary files stayed: $leftover"

[ "$failures" -eq 0 ] && echo "picture replacement: all checks passed"
[ "$failures" -eq 0 ]
