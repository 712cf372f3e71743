#!/usr/bin/env bash
# The demo: Corvane bridging the stand-in simulator, under Wine.
#
# Installs what is missing (as root, from Debian's packages), builds the
# `wine` preset, starts corvane-sim (offset server plus an animated aircraft
# whose knobs are turned now and then) and corvane.exe in a temporary working
# folder with a corvane.ini, and corvane-monitor's change log beside
# corvane-sim's output, lets them run, saves a screenshot of the Corvane
# window in the build folder (and prints where) and stops everything it
# started.
#
# The change log shown is that of the knob windows and the inputs, where the
# turned knobs travel through Corvane; the whole log (every offset) is kept
# in the build folder as demo-changes.log.
#
#   scripts/demo.sh                       run for 20 seconds
#   scripts/demo.sh --update-screenshot   also replace docs/corvane.png, the
#                                         README's picture, with the new one
#   DEMO_SECONDS=60 scripts/demo.sh
#   DEMO_BUILD_DIR=build/other scripts/demo.sh   another build folder
#
# Without a display it runs its own Xvfb. The demo keeps a Wine prefix of
# its own in the build folder (Wine draws the window frames there, since
# there is no window manager to do it), apart from the tests' prefix.
set -euo pipefail

update_screenshot=""
for argument in "$@"; do
    case "$argument" in
        --update-screenshot) update_screenshot=yes ;;
        -h|--help) sed -n '2,/^[^#]/s/^# \{0,1\}//p' "$0"; exit 0 ;;
        *) echo "usage: $0 [--update-screenshot]" >&2; exit 2 ;;
    esac
done

cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${DEMO_SECONDS:-20}
build=$(realpath -m "${DEMO_BUILD_DIR:-$root/build/wine}")
# The tracked docs/corvane.png changes only when asked for.
screenshot="$build/demo/corvane.png"
wine=/usr/lib/wine/wine64

say() { echo "demo: $*"; }

# ---- what is missing --------------------------------------------------------
scripts/install-deps.sh demo

# ---- build ------------------------------------------------------------------
say "building corvane.exe, corvane-sim and corvane-monitor (preset wine)"
cmake --preset wine -B "$build" >/dev/null
cmake --build "$build" -j 2 --target corvane corvane-sim corvane-monitor
app_module="$build/app/win32/corvane.exe.so"
sim_module="$build/sim/win32/corvane-sim.exe.so"
monitor_module="$build/monitor/win32/corvane-monitor.exe.so"
changes="$build/demo-changes.log"
# Change lines of 0x9400, 0x9428, the knob windows 0x9430-0x943E and the
# counters 0x94F0-0x94FB.
shown='^[0-9:.]+ 0x94(00|28|3[02468ACE]|F[0-9A-F]) '

# ---- clean-up of everything started below ------------------------------------
work=$(mktemp -d /tmp/corvane-demo.XXXXXX)
pids=()
xvfb_pid=""
wine_started=""
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    # Wine's own helper processes of the demo prefix end shortly after the
    # last program of the prefix; wait for them before the display goes.
    if [ -n "$wine_started" ]; then
        timeout 20 "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
    fi
    if [ -n "$xvfb_pid" ]; then
        kill "$xvfb_pid" 2>/dev/null || true
        wait "$xvfb_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap cleanup EXIT

# ---- display ------------------------------------------------------------------
if [ -z "${DISPLAY:-}" ]; then
    number=99
    while [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ]; do
        number=$((number + 1))
    done
    Xvfb ":$number" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$number"
    for _ in $(seq 100); do
        [ -e "/tmp/.X11-unix/X$number" ] && break
        sleep 0.1
    done
    say "started Xvfb on $DISPLAY"
fi

# ---- Wine ---------------------------------------------------------------------
export WINEPREFIX="$build/demo-wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
wine_started=yes
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "creating the Wine prefix (once)"
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    "$wine" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1
    "$(dirname "$wine")/wineserver" -w
fi
# Wine draws the caption buttons with its Marlett font, which Debian ships in
# fonts-wine (scripts/install-deps.sh installs it for the demo); this Wine
# does not look for it there, so the prefix gets a copy.
fonts="$WINEPREFIX/drive_c/windows/Fonts"
if [ ! -f /usr/share/wine/fonts/marlett.ttf ]; then
    say "warning: /usr/share/wine/fonts/marlett.ttf missing (package fonts-wine): caption buttons will show letters"
elif [ ! -f "$fonts/marlett.ttf" ]; then
    mkdir -p "$fonts"
    cp /usr/share/wine/fonts/marlett.ttf "$fonts/"
fi

# ---- run ------------------------------------------------------------------------
# The settings file the zip ships.
cp packaging/corvane.ini "$work/corvane.ini"

say "starting corvane-sim"
"$wine" "$sim_module" --turn-knobs --no-dump --seconds $((seconds + 10)) >"$work/corvane-sim.log" 2>&1 &
pids+=($!)
tail -n +1 -f "$work/corvane-sim.log" &
pids+=($!)
for _ in $(seq 300); do
    grep -q "serving offsets" "$work/corvane-sim.log" && break
    sleep 0.1
done

say "starting corvane.exe in $work"
(cd "$work" && exec "$wine" "$app_module") >"$work/corvane.log" 2>&1 &
app_pid=$!
pids=("$app_pid" "${pids[@]}")

say "starting corvane-monitor --changes (full log: $changes)"
"$wine" "$monitor_module" --changes >"$changes" 2>&1 &
monitor_pid=$!
pids=("$monitor_pid" "${pids[@]}")
# Ends by itself once the monitor has ended.
tail --pid="$monitor_pid" -n +1 -f "$changes" | grep --line-buffered -E "$shown|^corvane-monitor:" |
    sed -u 's/^/monitor: /' &
pids+=($!)

say "running for $seconds seconds"
sleep "$seconds"

# ---- screenshot -----------------------------------------------------------------
title="Corvane v2.03"
mkdir -p "$(dirname "$screenshot")"
if xwininfo -name "$title" >/dev/null 2>&1; then
    import -window "$(xwininfo -name "$title" | awk '/Window id:/ {print $4}')" "$screenshot"
    say "screenshot of the Corvane window: $screenshot"
else
    import -window root "$screenshot"
    say "no window titled \"$title\" found; screenshot of the whole screen: $screenshot"
fi

if [ -n "$update_screenshot" ]; then
    cp "$screenshot" "$root/docs/corvane.png"
    say "docs/corvane.png updated"
fi

say "stopping"
exit 0
