#!/usr/bin/env bash
# Installs what is missing on Debian 12:
#   setup.sh run    what building and running the clock needs;
#   setup.sh test   that, and what its tests need.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

run_packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  # A native window on Wayland desktops (Qt's wayland platform).
  qt6-wayland
  fonts-liberation2 fonts-dejavu-core fontconfig
  # The warning sound through the freedesktop sound theme, played by the desktop's sound server.
  libcanberra-dev libcanberra-pulse sound-theme-freedesktop
)
test_packages=(
  # The real binary in private X servers, with and without a window manager, and natively on
  # Wayland in a headless compositor; screenshots and the X helper.
  xvfb x11-utils xdotool imagemagick python3 python3-xlib openbox sway wtype grim
  # The robustness tests: the fuzz target (clang with its libFuzzer and sanitizer runtimes) and
  # the trace of the real binary.
  clang libclang-rt-14-dev strace
  # The desktop: a private sound server, install and package checks, the accessibility bus and
  # a screen reader.
  pulseaudio pulseaudio-utils desktop-file-utils appstream dpkg-dev binutils lintian
  dbus-daemon at-spi2-core python3-pyatspi orca speech-dispatcher
)

case "${1:-}" in
run) packages=("${run_packages[@]}") ;;
test) packages=("${run_packages[@]}" "${test_packages[@]}") ;;
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
sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then
  sudo_cmd=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
