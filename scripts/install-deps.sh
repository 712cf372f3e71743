#!/usr/bin/env bash
# Installs the Debian packages that the demo or the tests need, when any of
# them is missing. Needs root (or sudo) only when something is missing.
#   scripts/install-deps.sh [demo|test]     (default: test)
set -euo pipefail

# What each use needs: the demo only builds and runs the Wine programs.
# fonts-wine holds Wine's own fonts, Marlett among them, without which the
# caption buttons of every window come out as boxes. Asio, websocketpp and
# nlohmann/json (header-only) are what corvane-web is built on; the browser
# test drives Chromium through chromedriver from Debian's Python.
demo_packages=(cmake ninja-build g++ libinih-dev libcli11-dev wine wine64 wine64-tools fonts-wine xvfb xauth x11-utils imagemagick
                libasio-dev libwebsocketpp-dev nlohmann-json3-dev)
test_packages=("${demo_packages[@]}" lua5.1 libx11-dev clang libclang-rt-14-dev libgtest-dev libbenchmark-dev mingw-w64 zip
               chromium chromium-driver python3-selenium)

case "${1:-test}" in
  demo) packages=("${demo_packages[@]}") ;;
  test) packages=("${test_packages[@]}") ;;
  *) echo "usage: $0 [demo|test]" >&2; exit 2 ;;
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
sudo=""
if [ "$(id -u)" -ne 0 ]; then
  sudo="sudo"
fi
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -q
$sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
