#!/usr/bin/env bash
# heliora-pictures replacing a picture: never in place, so a reader that has
# the old file open keeps reading it whole; through a link, the file it names
# is replaced and keeps its permission bits, which the new file has before
# its bytes; a "<picture>.part" that is someone else's file is left alone; a
# picture whose name leaves no room for ".part" is replaced too; anything but
# a regular file the user may write is refused and left as it was; a failed
# write leaves no temporary. A check that cannot run here says so (and fails
# under CI, which runs as root with strace).
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
skip() { if [ "${CI:-}" = true ]; then fail "cannot run under CI: $*"; else echo "SKIP $*"; fi; }
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
long=$work/$(printf 'n%.0s' {1..251}).bmp  # 255 bytes, the longest name
cp "$work/mars.bmp" "$long"
run 0 "generate over a 255-byte name" generate Sun "$long"
cmp -s "$long" "$work/old-sun.bmp" || fail "the picture with a 255-byte name was not replaced"

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
# Made for its owner alone, the new file has the old one's bits before any byte.
if [ "$windows" = 1 ]; then :
elif ! strace -o /dev/null true 2>/dev/null; then skip "the order of mode and bytes: strace cannot run"
else
  strace -o "$work/trace" -e trace=openat,fchmod,write "${tool[@]}" \
    generate Sun "$work/shared/sun-master.bmp" 2>/dev/null || true
  tr -d '\n' <"$work/trace" | grep -qE 'part1", [A-Z_|]+, 0600\) = ([0-9]+)fchmod\(\1, 0640\) += 0write\(\1, ' ||
    fail "the new file was not 0600, then 0640, before its first byte: $(grep -A2 part1 "$work/trace")"
fi

# Only a regular file is replaced: a folder, a FIFO, a device node, a loop of
# links and a read-only picture are refused, each with its reason, and left as
# they were (type, mode, size, link target and modification time).
mkdir "$work/set/Venus.bmp"
mkfifo "$work/set/fifo.bmp"
mknod "$work/set/null.bmp" c 1 3 2>/dev/null || skip "a device node: mknod needs root"
ln -s loop-b "$work/set/loop-a.bmp" && ln -s loop-c "$work/set/loop-b" && ln -s loop-a.bmp "$work/set/loop-c"
cp "$work/mars.bmp" "$work/set/read-only.bmp" && chmod 444 "$work/set/read-only.bmp"
listing() { find "$work/set" -mindepth 1 -printf '%p %y %m %s %l %T@\n' | sort; }
before=$(listing)
refusals=("Venus.bmp:folder" "fifo.bmp:not a regular file" "null.bmp:not a regular file"
  "loop-a.bmp:loop of symbolic links" "read-only.bmp:read-only")
[ "$windows" = 0 ] || refusals+=("NUL:not a regular file")  # a device in every folder
for refusal in "${refusals[@]}"; do
  name=${refusal%%:*}
  [ -e "$work/set/$name" ] || [ -L "$work/set/$name" ] || [ "$name" = NUL ] || continue
  run 1 "generate over $name" generate Venus "$work/set/$name"
  grep -q "${refusal#*:}" "$work/out" || fail "$name: no reason '${refusal#*:}' in: $(cat "$work/out")"
done
[ "$(listing)" = "$before" ] || fail "a refused file changed: $(diff <(echo "$before") <(listing))"
leftover=$(cd "$work" && find . -name '*.part*' ! -path ./shared/sun-master.bmp.part)
[ -z "$leftover" ] || fail "temporary files stayed: $leftover"

# Only what the user running the tool may write: root may write a 0464
# picture, which keeps its bits; another user may not replace root's 0644 one,
# though the folder would let them rename over it.
if [ "$windows" = 1 ]; then :
elif [ "$(id -u)" != 0 ]; then skip "the rights of root and of another user: not root"
else
  cp "$work/mars.bmp" "$work/shared/0464.bmp" && chmod 464 "$work/shared/0464.bmp"
  run 0 "generate over a 0464 picture as root" generate Sun "$work/shared/0464.bmp"
  cmp -s "$work/shared/0464.bmp" "$work/old-sun.bmp" && [ "$(stat -c %a "$work/shared/0464.bmp")" = 464 ] ||
    fail "the 0464 picture: not replaced, or bits $(stat -c %a "$work/shared/0464.bmp")"
  mkdir -m 777 "$work/open" && cp "$work/mars.bmp" "$work/open/root.bmp" && chmod 644 "$work/open/root.bmp"
  cp "$1" "$work/tool" && chmod 755 "$work" "$work/tool"
  tool=(setpriv --reuid=nobody --regid=nogroup --clear-groups "$work/tool")
  run 1 "another user generating over root's picture" generate Sun "$work/open/root.bmp"
  grep -q "Permission denied" "$work/out" || fail "root's picture: no reason 'Permission denied' in: $(cat "$work/out")"
  cmp -s "$work/open/root.bmp" "$work/mars.bmp" || fail "another user replaced root's picture"
fi

[ "$failures" -eq 0 ] && echo "picture replacement: all checks passed"
[ "$failures" -eq 0 ]
