#!/usr/bin/env bash
# Installs every Debian 12 package the project needs to build, run and test.
# Idempotent: when everything is already installed it changes nothing.
set -euo pipefail

packages=(
  build-essential cmake ninja-build pkg-config git
  qt6-base-dev qt6-tools-dev qt6-tools-dev-tools qt6-svg-dev qt6-l10n-tools libqt6opengl6-dev
  libgl-dev libxkbcommon-dev
  libjsoncpp-dev libcurl4-openssl-dev libevdev-dev libasound2-dev libpipewire-0.3-dev libxcb1-dev
  libpulse-dev libkissfft-dev
  xvfb xdotool python3 openssl
  libgtest-dev libgmock-dev googletest libbenchmark-dev
  clang libclang-rt-14-dev
  fonts-dejavu-core fonts-noto-cjk
  desktop-file-utils appstream umockdev libumockdev-dev lintian
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -qq
$SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
