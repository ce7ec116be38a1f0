#!/usr/bin/env bash
# Installs what building, running and testing the clock needs on Debian 12.
# Idempotent: when everything is present it only checks and returns.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config
  qt6-base-dev qt6-base-dev-tools libgl-dev
  fonts-liberation2 fonts-dejavu-core fontconfig
  xvfb x11-utils xdotool imagemagick python3
  # The robustness tests: the fuzz target (clang with its libFuzzer and sanitizer runtimes), the
  # trace of the real binary, and the X helper that the real-window tests use.
  clang libclang-rt-14-dev strace python3-xlib
  # The desktop: the warning sound through the freedesktop sound theme (and the private sound
  # server its test records), install and package checks, and the screen reader's bus.
  libcanberra-dev libcanberra-pulse sound-theme-freedesktop pulseaudio pulseaudio-utils
  desktop-file-utils appstream dpkg-dev binutils lintian dbus-daemon at-spi2-core python3-pyatspi
)

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
