#!/bin/sh
# Runs a Winelib program under Wine for the end-to-end tests and the demo.
#
#   run-wine.sh <program.exe.so> [args...]   run it, exit with its exit code
#   run-wine.sh --init                       create the Wine prefix (once per build)
#
# The prefix lives in the build folder ($CORVANE_BUILD_DIR/wineprefix), so a
# build never touches the user's own Wine setup and a fresh build starts from
# a clean one. Without a display the program runs inside Xvfb.
set -eu

if [ -z "${CORVANE_BUILD_DIR:-}" ]; then
    echo "run-wine.sh: CORVANE_BUILD_DIR is not set" >&2
    exit 2
fi

WINE=${CORVANE_WINE:-/usr/lib/wine/wine64}
WINEPREFIX="$CORVANE_BUILD_DIR/wineprefix"
WINEDEBUG=${CORVANE_WINEDEBUG:--all}
# No .NET or Gecko installer dialogs when the prefix is created.
WINEDLLOVERRIDES="mscoree=;mshtml="
export WINEPREFIX WINEDEBUG WINEDLLOVERRIDES

if [ ! -x "$WINE" ]; then
    echo "run-wine.sh: $WINE not found (install wine64)" >&2
    exit 2
fi

# Run "$@" on the current display, or inside a private Xvfb when there is none.
with_display() {
    if [ -n "${DISPLAY:-}" ]; then
        "$@"
    else
        xvfb-run -a -s "-screen 0 1024x768x24" "$@"
    fi
}

if [ "${1:-}" = "--init" ]; then
    mkdir -p "$WINEPREFIX"
    # wineboot -i creates or updates the prefix; wineserver -w waits until
    # every Wine process of the prefix has ended, so the prefix is complete
    # before the first test uses it.
    with_display sh -c '"$1" wineboot -i && "${1%/*}/wineserver" -w' sh "$WINE"
    exit 0
fi

if [ $# -lt 1 ]; then
    echo "usage: run-wine.sh <program.exe.so> [args...] | --init" >&2
    exit 2
fi

# Exit code of the program, not of xvfb-run's clean-up.
status=0
with_display "$WINE" "$@" || status=$?
exit "$status"
