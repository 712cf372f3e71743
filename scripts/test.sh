#!/usr/bin/env bash
# Builds and runs every test tier of Corvane on a Debian machine:
#   native       unit tests (GoogleTest) against the in-process fake
#   native-asan  the same under AddressSanitizer and UndefinedBehaviorSanitizer
#   native-tsan  the job hand-over with real threads under ThreadSanitizer
#   native-fuzz  libFuzzer targets (request areas, hostile servers, aircraft
#                blocks, the whole core, settings text), each run for
#                CORVANE_FUZZ_SECONDS (10 by default)
#   wine         corvane.exe, corvane-sim and the end-to-end tests under Wine
#   mingw        the Windows release build (compile check when offline)
# Installs what is missing first. Exits non-zero when any tier fails.
set -euo pipefail

cd "$(dirname "$0")/.."
scripts/install-deps.sh test

jobs=$(nproc 2>/dev/null || echo 2)
mingw_preset=mingw-offline
if [ -n "${FETCHCONTENT_SOURCE_DIR_INIH:-}" ]; then
  mingw_extra=(-DFETCHCONTENT_SOURCE_DIR_INIH="$FETCHCONTENT_SOURCE_DIR_INIH")
else
  mingw_extra=()
fi

status=0
run_tier() {
  local preset=$1; shift
  echo "==== ${preset}: configure and build"
  cmake --preset "$preset" "$@" >/dev/null
  cmake --build --preset "$preset" -j "$jobs"
}

# Each fuzz target runs this many seconds here (longer runs: see the README).
fuzz_seconds=${CORVANE_FUZZ_SECONDS:-10}

for preset in native native-asan native-tsan native-fuzz; do
  if [ "$preset" = native-fuzz ]; then
    run_tier "$preset" -DCORVANE_FUZZ_SECONDS="$fuzz_seconds"
  else
    run_tier "$preset"
  fi
  echo "==== ${preset}: tests"
  ctest --preset "$preset" -j "$jobs" || status=1
done

run_tier wine
echo "==== wine: end-to-end tests"
if [ -n "${DISPLAY:-}" ]; then
  ctest --preset wine || status=1
else
  xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset wine || status=1
fi

run_tier "$mingw_preset" "${mingw_extra[@]}"
echo "==== ${mingw_preset}: tests"
if [ -n "${DISPLAY:-}" ]; then
  ctest --preset "$mingw_preset" || status=1
else
  xvfb-run -a -s "-screen 0 1024x768x24" ctest --preset "$mingw_preset" || status=1
fi

exit $status
