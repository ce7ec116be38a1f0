#!/usr/bin/env bash
# Runs a command of this project in a fresh Debian of another release, as on a new machine:
#   fresh_debian.sh SUITE COMMAND...      e.g. fresh_debian.sh trixie bash tools/test.sh
# The system is made with debootstrap from the Debian mirror that this machine's apt uses, the
# project (what git tracks, and new files it does not ignore) is copied to /src in it, and the
# command runs there as root in a chroot with /proc, /dev and /sys. Everything made or mounted
# goes again when the script ends, however it ends. The bare base system is kept between runs
# in /var/cache/ostrevane (never in the project) and made afresh once it is a week old.
# Needs root (asks sudo otherwise); the command's status is the script's.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SUITE=${1:?usage: fresh_debian.sh SUITE COMMAND...}
shift
[ $# -gt 0 ] || { echo "usage: fresh_debian.sh SUITE COMMAND..." >&2; exit 2; }
if [ "$(id -u)" -ne 0 ]; then
    exec sudo "$0" "$SUITE" "$@"
fi

if ! command -v debootstrap >/dev/null; then
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends debootstrap \
        >/dev/null || { apt-get update -qq && apt-get install -y -qq debootstrap >/dev/null; }
fi
# The Debian archive that apt reads this release's own packages from.
# shellcheck source=/dev/null
this_release=$(. /etc/os-release && echo "$VERSION_CODENAME")
# shellcheck disable=SC2016 # apt's own placeholders, not the shell's
mirror=$(apt-get indextargets --format '$(RELEASE) $(REPO_URI)' |
    awk -v r="$this_release" '$1 == r { print $2; exit }')
[ -n "$mirror" ] || { echo "fresh_debian.sh: apt names no archive for $this_release" >&2; exit 1; }

cache=/var/cache/ostrevane
base="$cache/debian-$SUITE-minbase.tar"
if [ -z "$(find "$base" -mtime -7 2>/dev/null)" ]; then
    echo "==== fresh_debian.sh: making a base system of Debian $SUITE from $mirror ===="
    mkdir -p "$cache"
    staging=$(mktemp -d /var/tmp/ostrevane-debootstrap.XXXXXX)
    trap 'rm -rf "$staging"' EXIT
    debootstrap --variant=minbase "$SUITE" "$staging" "$mirror" >"$staging.log" 2>&1 ||
        { tail -n 20 "$staging.log" >&2; rm -f "$staging.log"; exit 1; }
    rm -f "$staging.log"
    tar -C "$staging" -cf "$base.new" . && mv "$base.new" "$base"
    rm -rf "$staging"
    trap - EXIT
fi

system=$(mktemp -d /var/tmp/ostrevane-"$SUITE".XXXXXX)
mounted=()
leave() {
    local i
    for ((i = ${#mounted[@]} - 1; i >= 0; i--)); do
        umount "${mounted[i]}" 2>/dev/null || umount --lazy "${mounted[i]}" || true
    done
    # Only once nothing is mounted in it any more: never through into the machine's /dev.
    if ! grep -q " $system/" /proc/mounts; then
        rm -rf "$system"
    fi
}
trap leave EXIT
trap 'exit 130' INT TERM
mount_in() {
    mount "$@"
    mounted+=("${*: -1}")
}

tar -C "$system" -xf "$base"
# The root of the system, which mktemp made private: the tests run some programs as a user.
chmod 755 "$system"
mount_in -t proc proc "$system/proc"
mount_in --bind /dev "$system/dev"
mount_in --bind /dev/pts "$system/dev/pts"
mount_in -t tmpfs tmpfs "$system/dev/shm"
mount_in -t sysfs sysfs "$system/sys"
cp /etc/resolv.conf "$system/etc/resolv.conf"
mkdir "$system/src"
(
    cd "$ROOT"
    git ls-files -z --cached --others --exclude-standard |
        while IFS= read -r -d '' file; do
            # Tracked files deleted in the work tree stay behind.
            if [ -e "$file" ] || [ -L "$file" ]; then printf '%s\0' "$file"; fi
        done | xargs -0 cp --parents -a -t "$system/src"
)

echo "==== fresh_debian.sh: Debian $SUITE: $* ===="
status=0
chroot "$system" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    HOME=/root LANG=C.UTF-8 CI="${CI:-}" ${OSTREVANE_BUILDS:+OSTREVANE_BUILDS="$OSTREVANE_BUILDS"} \
    bash -c 'cd /src && exec "$@"' fresh_debian "$@" || status=$?
exit "$status"
