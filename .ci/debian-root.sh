#!/usr/bin/env bash
# Runs the README's test command, as root, inside a fresh Debian root of the
# given release: what a new user of that release sees, with nothing installed
# beforehand. Usage (as root): .ci/debian-root.sh SUITE [COMMAND]   e.g. trixie
# COMMAND (a bash command run in /src instead of the test command) is for
# trying something out on that release.
#
# The pristine root (debootstrap --variant=minbase) is made once and kept in
# $HELIORA_CI_CACHE/SUITE (default /var/cache/heliora-ci/SUITE); it holds only
# Debian. Each run works on an overlay of it whose upper layer (the tree, the
# installed packages, the builds) is thrown away afterwards. Downloaded .deb
# files are kept in $HELIORA_CI_CACHE/SUITE-debs to spare the next run the
# download. The mirror is the one this machine's apt uses (HELIORA_CI_MIRROR
# overrides it).
set -euo pipefail
suite=${1:?usage: .ci/debian-root.sh SUITE}
src=$(cd "$(dirname "$0")/.." && pwd)
cache=${HELIORA_CI_CACHE:-/var/cache/heliora-ci}

# Every mount below is made in a mount namespace of this script's own: none is
# seen by the rest of the machine, and all of them go when it ends, however it
# ends. The trap below still undoes them one by one.
if [ -z "${HELIORA_CI_NAMESPACE:-}" ]; then
  HELIORA_CI_NAMESPACE=1 exec unshare --mount --propagation private bash "$0" "$@"
fi

say() { echo "debian-root($suite): $*" >&2; }

# The first URI of this machine's apt sources that ends in NAME (debian,
# debian-security), without its trailing slash.
host_uri() {
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
    grep -v '^[[:space:]]*#' | grep -oE "(https?|ftp)://[^[:space:]]*/$1/?([[:space:]]|$)" |
    head -n 1 | sed -E 's,/?[[:space:]]*$,,' || true
}
mirror=${HELIORA_CI_MIRROR:-$(host_uri debian)}
mirror=${mirror:-http://deb.debian.org/debian}
security=$(host_uri debian-security)

# One run at a time uses the cache; what an earlier run left behind when it
# was killed (its overlay layers; its mounts went with its namespace) goes.
mkdir -p "$cache"
exec 9>"$cache/.lock"
flock 9
rm -rf --one-file-system "$cache"/run.*

pristine=$cache/$suite
if [ ! -d "$pristine" ]; then
  if ! command -v debootstrap >/dev/null; then
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends debootstrap
  fi
  # An attempt that did not finish leaves only a .partial directory behind;
  # the root appears under its name once it is whole.
  rm -rf --one-file-system "$pristine".partial.*
  partial=$(mktemp -d "$pristine.partial.XXXXXX")
  chmod 755 "$partial"  # the root directory of the system
  say "making the pristine root from $mirror (a few minutes)"
  debootstrap --variant=minbase "$suite" "$partial" "$mirror" >"$partial.log" 2>&1 ||
    { tail -n 20 "$partial.log" >&2; exit 1; }
  # The sources of an installed machine: the release, its updates and, where
  # this machine has it, its security archive.
  rm -f "$partial/etc/apt/sources.list"
  {
    printf 'Types: deb\nURIs: %s\nSuites: %s %s-updates\nComponents: main\n' "$mirror" "$suite" "$suite"
    printf 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n'
    if [ -n "$security" ]; then
      printf '\nTypes: deb\nURIs: %s\nSuites: %s-security\nComponents: main\n' "$security" "$suite"
      printf 'Signed-By: /usr/share/keyrings/debian-archive-keyring.gpg\n'
    fi
  } >"$partial/etc/apt/sources.list.d/debian.sources"
  rm -f "$partial.log"
  mv -T "$partial" "$pristine"
fi

run=$(mktemp -d "$cache/run.XXXXXX")
root=$run/root
debs=$cache/$suite-debs
cleanup() {
  local status=$? pid
  trap - EXIT
  # A process still running in the root (a stray Xvfb, say) holds its mounts.
  for pid in /proc/[0-9]*; do
    [ "$(readlink "$pid/root" 2>/dev/null)" = "$root" ] && kill -KILL "${pid#/proc/}" 2>/dev/null
  done
  if mountpoint -q "$root"; then
    umount -R "$root" 2>/dev/null || { sleep 1; umount -R "$root"; } || umount -R -l "$root"
  fi
  rm -rf --one-file-system "$run"
  exit "$status"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

mkdir -p "$run/upper" "$run/work" "$root" "$debs/partial"
mount -t overlay overlay -o "lowerdir=$pristine,upperdir=$run/upper,workdir=$run/work" "$root"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount -t tmpfs -o nosuid,nodev,mode=1777 shm "$root/dev/shm"
mount -t devpts -o newinstance,ptmxmode=0666,mode=620 devpts "$root/dev/pts"
mount --bind "$debs" "$root/var/cache/apt/archives"
cp -L --remove-destination /etc/resolv.conf "$root/etc/resolv.conf"

# The tree as committed plus what is new and not ignored: no build directories.
mkdir "$root/src"
(cd "$src" && git ls-files -z --cached --others --exclude-standard |
   tar --null --ignore-failed-read -T - -cf -) | tar -xf - -C "$root/src"

command=${2:-bash scripts/test.sh}
say "$(. "$root/etc/os-release" && echo "$PRETTY_NAME"): $command"
chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 CI=true TERM="${TERM:-dumb}" \
  PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
  bash -c "cd /src && $command"
