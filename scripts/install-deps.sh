#!/usr/bin/env bash
# Installs the Debian packages that building and testing Corvane need, when
# any of them is missing. Needs root (or sudo) only when something is missing.
set -euo pipefail

packages=(
  cmake ninja-build g++ clang
  libgtest-dev libbenchmark-dev libinih-dev
  mingw-w64 wine wine64 wine64-tools
  xvfb xauth x11-utils imagemagick
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
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
