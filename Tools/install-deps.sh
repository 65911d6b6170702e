#!/usr/bin/env bash
# Installs the Debian packages that Brimhold builds, runs and tests with.
# Idempotent: asks apt only for what is missing; uses sudo only when not root.
set -euo pipefail

packages=(
  build-essential cmake pkg-config
  libsdl2-dev libgl-dev libgl1-mesa-dri libglu1-mesa-dev
  libopenal-dev libalut-dev libvorbis-dev
  libfreetype-dev libfontconfig-dev fonts-dejavu-core
  libpng-dev libgtest-dev libbenchmark-dev
  xvfb xauth
  desktop-file-utils appstream shared-mime-info libglib2.0-bin dpkg-dev file
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
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
