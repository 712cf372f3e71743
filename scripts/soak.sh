#!/usr/bin/env bash
# The soak: corvane.exe under Wine against the stand-in, for MINUTES minutes
# of faults on a schedule (a hung server, data not valid, a refusing server,
# the aircraft withdrawn and back, simulator restarts) with hardware inputs
# throughout. Prints the cycles run, the faults survived, the inputs sent and
# the commands received, and corvane.exe's handles, windows and request-area
# atoms and mappings, and fails if anything was lost, doubled or grew.
#
#   scripts/soak.sh [MINUTES]     (10 by default; the test suite runs 1)
#
# Installs what is missing first; builds the wine preset; runs inside Xvfb
# when there is no display. See tests/e2e/soak_e2e_test.cpp for the schedule.
set -euo pipefail

cd "$(dirname "$0")/.."
minutes=${1:-10}

scripts/install-deps.sh demo
cmake --preset wine >/dev/null
cmake --build --preset wine -j 2 --target corvane soak_e2e_test

export CORVANE_BUILD_DIR="$PWD/build/wine"
if [ ! -d "$CORVANE_BUILD_DIR/wineprefix" ]; then
  tests/e2e/run-wine.sh --init
fi
echo "soak: ${minutes} minutes"
tests/e2e/run-wine.sh "$CORVANE_BUILD_DIR/tests/e2e/soak_e2e_test.exe.so" "$minutes"
