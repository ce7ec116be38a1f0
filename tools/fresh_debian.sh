#!/usr/bin/env bash
# Runs a command of this project in a fresh Debian of another release, as on a new machine:
#   fresh_debian.sh SUITE COMMAND...      e.g. fresh_debian.sh trixie bash tools/test.sh
# The system is made with debootstrap from the Debian mirror that this machine's apt uses, the
# project (what git tracks, and new files it does not ignore) is copied to /src in it, and the
# command runs there as root in a chroot with /proc, /dev and /sys. The chroot has a mount
# namespace and a PID namespace of its own: nothing mounted for it shows outside, and whatever
# the command leaves running (a D-Bus, a sound server) ends with it. Everything made or mounted
# goes again when the script ends (killed with SIGKILL, it leaves the unpacked system behind in
# /var/tmp, with nothing mounted in it). The bare base system is kept between runs
# in /var/cache/ostrevane (never in the project) and made afresh once it is a week old.
# Needs root (asks sudo otherwise); the command's status is the script's.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
SUITE=${1:?usage: fresh_debian.sh SUITE COMMAND...}
shift
[ $# -gt 0 ] || { echo "usage: fresh_debian.sh SUITE COMMAND..." >&2; exit 2; }
if [ "$(id -u)" -ne 0 ]; then
    # Through bash, as git keeps the script unexecutable; and sudo would drop from the
    # environment what the command reads, so it goes along by name (only what is set).
    pass=()
    for name in CI OSTREVANE_BUILDS; do
        if [ -n "${!name+set}" ]; then pass+=("$name=${!name}"); fi
    done
    exec sudo env "${pass[@]}" bash "${BASH_SOURCE[0]}" "$SUITE" "$@"
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
# shellcheck disable=SC2317 # called by the trap
leave() {
    rm -f "$system.files"
    # The mounts were all made in the chroot's own namespace and went with it; this is for the
    # day one is seen here all the same: never through into the machine's /dev.
    if ! grep -q " $system/" /proc/mounts; then
        rm -rf "$system"
    fi
}
trap leave EXIT
trap 'exit 130' INT TERM

tar -C "$system" -xf "$base"
# The root of the system, which mktemp made private: the tests run some programs as a user.
chmod 755 "$system"
cp /etc/resolv.conf "$system/etc/resolv.conf"
mkdir "$system/src"
# Run as root in a checkout of someone else's, git would refuse the folder as of dubious
# ownership; the list goes through a file so that such a refusal stops here, said plainly.
checkout=$(cd "$ROOT" && pwd -P)
git -C "$checkout" -c safe.directory="$checkout" ls-files -z --cached --others --exclude-standard \
    >"$system.files" ||
    { echo "fresh_debian.sh: git cannot list the files of $checkout to copy" >&2; exit 1; }
(
    cd "$checkout"
    while IFS= read -r -d '' file; do
        # Tracked files deleted in the work tree stay behind.
        if [ -e "$file" ] || [ -L "$file" ]; then printf '%s\0' "$file"; fi
    done <"$system.files" | xargs -0 -r cp --parents -a -t "$system/src"
)
rm -f "$system.files"

# The first process of the new namespaces: it mounts what the chroot needs and runs the command
# there. Private propagation keeps the tmpfs on the chroot's dev/shm off the machine's /dev/shm
# (it would pass through the bind of /dev where mounts are shared, as systemd makes them); its
# proc is that of the new PID namespace. When this process ends, the kernel ends every other
# process in the namespace, and the mounts go with the last of them.
# shellcheck disable=SC2317 # called in the namespace, by name
inside() {
    local system=$1
    shift
    mount -t proc proc "$system/proc"
    mount --bind /dev "$system/dev"
    mount --bind /dev/pts "$system/dev/pts"
    mount -t tmpfs tmpfs "$system/dev/shm"
    mount -t sysfs sysfs "$system/sys"
    local status=0
    chroot "$system" /usr/bin/env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
        HOME=/root LANG=C.UTF-8 CI="${CI:-}" ${OSTREVANE_BUILDS:+OSTREVANE_BUILDS="$OSTREVANE_BUILDS"} \
        bash -c 'cd /src && exec "$@"' fresh_debian "$@" || status=$?
    exit "$status"
}

echo "==== fresh_debian.sh: Debian $SUITE: $* ===="
status=0
# --kill-child: should unshare itself be killed, the namespace's first process goes with it, and
# so everything in the namespace.
unshare --mount --propagation private --pid --fork --kill-child \
    bash -c "set -euo pipefail; $(declare -f inside); inside \"\$@\"" fresh_debian "$system" "$@" ||
    status=$?
exit "$status"
