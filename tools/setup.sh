#!/usr/bin/env bash
# Installs what is missing on Debian 12 or 13 (or a Debian of the same age):
#   setup.sh run    what building and running the clock needs;
#   setup.sh test   that, and what its tests need.
# Idempotent: when everything is present it only checks and returns. Where a package's name
# differs between releases, the release is asked for it, so that no table of names grows stale.
set -euo pipefail

run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # Where the program meets the desktop (desktop/): on X11 a held key acts once (XKB and the input
  # extension) and the server's screen saver waits while a clock runs; on Wayland the idle-inhibit
  # protocol (the client library, the protocol's description and its scanner, and Qt's platform
  # native interface, which comes with its private headers).
  libxcb-xkb-dev libxcb-xinput-dev libxcb-screensaver0-dev
  libwayland-dev wayland-protocols qt6-base-private-dev
  # A native window on Wayland desktops (Qt's wayland platform).
  qt6-wayland
  fonts-liberation2 fonts-dejavu-core fontconfig
  # The warning sound through the freedesktop sound theme, played by the desktop's sound server.
  libcanberra-dev libcanberra-pulse sound-theme-freedesktop
)
test_packages=(
  # The real binary in private X servers, bare and under the window managers of openbox, KDE
  # Plasma (with its frames) and Xfce, and natively on Wayland in the headless compositors of
  # sway and GNOME; screenshots and the X helper.
  xvfb x11-utils xdotool imagemagick python3 python3-xlib openbox kwin-x11 kwin-style-breeze
  xfwm4 sway wtype grim mutter
  # Two monitors side by side, which Xvfb cannot make: Xorg with its dummy video driver, and RandR.
  xserver-xorg-core xserver-xorg-video-dummy x11-xserver-utils
  # What keeps a desktop awake or lets it go idle: sway's idle daemon, GNOME's session manager.
  swayidle gnome-session-bin
  # The robustness tests: the fuzz target (clang with its libFuzzer and sanitizer runtimes, the
  # latter added below) and the trace of the real binary.
  clang strace
  # The desktop: a private sound server, install and package checks, the accessibility bus and
  # a screen reader.
  pulseaudio pulseaudio-utils desktop-file-utils appstream dpkg-dev binutils lintian
  dbus-daemon at-spi2-core python3-pyatspi orca speech-dispatcher
)

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
updated=
update() {
  [ -n "$updated" ] || "${sudo_cmd[@]}" apt-get update -qq
  updated=1
}

# clang's sanitizer and libFuzzer runtimes come in a package named after clang's major version
# (libclang-rt-14-dev in Debian 12, libclang-rt-19-dev in Debian 13): the one of the clang that
# the release installs as "clang", installed or not.
clang_runtime() {
  local depends major
  depends=$(dpkg-query -W -f='${Depends}' clang 2>/dev/null || true)
  [ -n "$depends" ] || depends=$(apt-cache depends clang 2>/dev/null | sed -n 's/^ *Depends: //p')
  major=$(grep -o 'clang-[0-9]\+' <<<"$depends" | head -n 1 | cut -d- -f2 || true)
  [ -n "$major" ] && echo "libclang-rt-$major-dev"
}

case "${1:-}" in
run) packages=("${run_packages[@]}") ;;
test)
  runtime=$(clang_runtime) || { update && runtime=$(clang_runtime); } ||
    { echo "setup.sh: this release offers no clang package" >&2; exit 1; }
  packages=("${run_packages[@]}" "${test_packages[@]}" "$runtime")
  ;;
*)
  echo "usage: setup.sh run|test" >&2
  exit 2
  ;;
esac

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
update
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
