#!/usr/bin/env bash
# Builds the Windows release twice, from two clones of the committed HEAD in
# two different folders, and compares the zips byte for byte: a release must
# not depend on where or when it was built. Not part of CI (it needs an inih
# source and builds the release twice, a few minutes).
#
#   FETCHCONTENT_SOURCE_DIR_INIH=/path/to/inih-r55 scripts/reproducible.sh
#
# Without FETCHCONTENT_SOURCE_DIR_INIH the fetching preset is used (network).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

if [ -n "${FETCHCONTENT_SOURCE_DIR_INIH:-}" ]; then
  preset=mingw-offline
  extra=(-DFETCHCONTENT_SOURCE_DIR_INIH="$FETCHCONTENT_SOURCE_DIR_INIH")
else
  preset=mingw
  extra=()
fi

zips=()
for name in first second-build-elsewhere; do
  clone="$work/$name/corvane"
  git clone -q "$root" "$clone"
  echo "==== building the release in $clone"
  (cd "$clone" && cmake --preset "$preset" "${extra[@]}" >/dev/null &&
     cmake --build --preset "$preset" -j "$(nproc)" --target package >/dev/null)
  zip=$(ls "$clone"/build/"$preset"/corvane-*-win64.zip)
  sha256sum "$zip"
  cat "$zip.sha256"
  zips+=("$zip")
done

if cmp "${zips[0]}" "${zips[1]}"; then
  echo "reproducible: both zips are the same, byte for byte"
else
  echo "NOT reproducible: the zips differ" >&2
  exit 1
fi
