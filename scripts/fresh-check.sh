#!/usr/bin/env bash
# Runs one of the README's set-up commands on a clean clone in a fresh minimal Debian 12 root,
# as a newcomer would: only git, sudo and ca-certificates installed, an ordinary user with sudo,
# no environment but PATH, HOME and LANG.
#
#   scripts/fresh-check.sh [COMMAND...]     default: scripts/test.sh   (e.g. scripts/run.sh)
#
# Needs root (debootstrap, chroot, mounts) and network to Debian's mirror. The minimal root is
# made once and kept as a tarball in $AMBREL_FRESH_CACHE (default ~/.cache/ambrel-fresh); each run
# unpacks a new copy of it, clones the repository's committed HEAD into it and runs COMMAND there.
# The copy is removed afterwards unless AMBREL_FRESH_KEEP=1.
set -euo pipefail
repo=$(cd "$(dirname "$0")/.." && pwd)
command=("${@:-scripts/test.sh}")
cache=${AMBREL_FRESH_CACHE:-$HOME/.cache/ambrel-fresh}
mirror=${AMBREL_FRESH_MIRROR:-http://deb.debian.org/debian}
tarball="$cache/bookworm-minbase.tar"

[ "$(id -u)" -eq 0 ] || { echo "fresh-check: run as root (debootstrap, chroot and mounts need it)" >&2; exit 2; }
command -v debootstrap >/dev/null || { apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq debootstrap; }

if [ ! -f "$tarball" ]; then
  mkdir -p "$cache"
  seed=$(mktemp -d "$cache/seed.XXXXXX")
  echo "fresh-check: making the minimal Debian 12 root (once)"
  debootstrap --variant=minbase --include=ca-certificates,git,sudo bookworm "$seed" "$mirror" >"$cache/debootstrap.log" 2>&1 ||
    { echo "fresh-check: debootstrap failed, see $cache/debootstrap.log" >&2; exit 1; }
  cat >"$seed/etc/apt/sources.list" <<SOURCES
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb http://deb.debian.org/debian-security bookworm-security main
SOURCES
  chroot "$seed" useradd --create-home --shell /bin/bash newcomer
  echo 'newcomer ALL=(ALL) NOPASSWD:ALL' >"$seed/etc/sudoers.d/newcomer"
  chmod 0440 "$seed/etc/sudoers.d/newcomer"
  tar -C "$seed" -cf "$tarball.part" . && mv "$tarball.part" "$tarball"
  rm -rf "$seed"
fi

root=$(mktemp -d "${TMPDIR:-/var/tmp}/ambrel-fresh.XXXXXX")
cleanup() {
  for m in sys dev/pts dev proc; do mountpoint -q "$root/$m" && umount -l "$root/$m"; done
  [ "${AMBREL_FRESH_KEEP:-0}" = 1 ] && echo "fresh-check: root kept in $root" || rm -rf "$root"
}
trap cleanup EXIT
tar -C "$root" -xf "$tarball"
chmod 0755 "$root"  # the copy's / must be open to the ordinary user
cp /etc/resolv.conf "$root/etc/resolv.conf"
mount -t proc proc "$root/proc"
mount --bind /dev "$root/dev"
mount --bind /dev/pts "$root/dev/pts"
mount -t sysfs sysfs "$root/sys"

git clone -q "$repo" "$root/home/newcomer/ambrel"
chroot "$root" chown -R newcomer:newcomer /home/newcomer/ambrel
echo "fresh-check: running ${command[*]} in a fresh Debian 12 root ($root)"
chroot "$root" /usr/bin/env -i PATH=/usr/local/bin:/usr/bin:/bin:/usr/local/sbin:/usr/sbin:/sbin HOME=/home/newcomer LANG=C.UTF-8 \
  /usr/sbin/runuser -u newcomer -- /bin/bash -c 'cd ~/ambrel && "$@"' bash "${command[@]}"
