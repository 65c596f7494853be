#!/usr/bin/env bash
# Checks the house style (.clang-format, .editorconfig): the C and C++ sources
# as clang-format lays them out, and no text file with trailing blanks, tabs
# for indentation in code or a missing final newline. Prints what is off and
# fails; with --fix, formats the C and C++ sources in place instead.
# Usage: scripts/style.sh [--fix]
set -euo pipefail
cd "$(dirname "$0")/.."
command -v clang-format >/dev/null || { echo "style: clang-format is not installed" >&2; exit 1; }

# The tree's own files: no build directories, whether or not git is at hand.
sources() {
  find . \( -path './build*' -o -path './.git' -o -path './pictures' \) -prune -o \
    -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' \) -print | sort
}
if [ "${1:-}" = --fix ]; then
  sources | xargs clang-format -i
  exit 0
fi

failed=0
if ! sources | xargs clang-format --dry-run --Werror 2>/tmp/style.$$; then
  grep -m 20 'error:' /tmp/style.$$ >&2 || cat /tmp/style.$$ >&2
  echo "style: some C or C++ files are not laid out as .clang-format says; scripts/style.sh --fix formats them" >&2
  failed=1
fi
rm -f /tmp/style.$$

texts() {
  find . \( -path './build*' -o -path './.git' -o -path './pictures' -o -path './tests/data' \) -prune -o \
    -type f \( -name '*.c' -o -name '*.cpp' -o -name '*.h' -o -name '*.sh' -o -name '*.cmake' \
    -o -name 'CMakeLists.txt' -o -name '*.md' -o -name '*.in' -o -name '*.nsi' \) -print | sort
}
while IFS= read -r file; do
  problem=""
  case $file in
    *.md) ;;  # a line break in Markdown is two trailing blanks
    *) grep -qE '[[:blank:]]$' "$file" && problem="trailing blanks"
       grep -qP '^\t' "$file" && problem="a tab indents a line" ;;
  esac
  [ -s "$file" ] && [ -n "$(tail -c 1 "$file")" ] && problem="no newline at the end"
  if [ -n "$problem" ]; then
    echo "style: $file: $problem" >&2
    failed=1
  fi
done < <(texts)
[ $failed -eq 0 ] && echo "style: the sources follow the house style"
exit $failed
