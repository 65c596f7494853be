#!/usr/bin/env bash
# Writes the Debian package's changelog from CHANGELOG.md, compressed: each
# "## VERSION (YYYY-MM-DD)" entry becomes a changelog entry of its items.
# Usage: packaging/debian-changelog.sh CHANGELOG.md MAINTAINER changelog.gz
set -euo pipefail
source=$1
maintainer=$2
out=$3
[ -r "$source" ] || { echo "debian-changelog.sh: cannot read $source" >&2; exit 1; }

close() {  # ends the entry of $version, dated $date
  [ -n "$version" ] || return 0
  printf '\n -- %s  %s\n\n' "$maintainer" "$(LC_ALL=C date -u -d "$date 12:00" -R)"
}

entries() {
  version=""
  while IFS= read -r line; do
    if [[ $line =~ ^##\ ([0-9][0-9A-Za-z.+~-]*)\ \(([0-9]{4}-[0-9]{2}-[0-9]{2})\)$ ]]; then
      close
      version=${BASH_REMATCH[1]}
      date=${BASH_REMATCH[2]}
      printf 'heliora (%s) unstable; urgency=medium\n\n' "$version"
    elif [[ $line == "## "* ]]; then
      echo "debian-changelog.sh: an entry heading not of the form \"## VERSION (YYYY-MM-DD)\": $line" >&2
      return 1
    elif [ -n "$version" ] && [[ $line == "- "* ]]; then
      printf '  * %s\n' "${line#- }"
    elif [ -n "$version" ] && [[ $line == "  "* ]]; then
      printf '    %s\n' "${line#  }"
    fi
  done <"$source"
  [ -n "$version" ] || { echo "debian-changelog.sh: no release entry in $source" >&2; return 1; }
  close
}

text=$(entries)
printf '%s\n' "$text" | gzip -9n >"$out"
