#!/usr/bin/env bash
# What Corvane adds between the aircraft and the panel, against the floor of
# one bare exchange per tick, under Wine (the README's "Performance").
#
# For each tick period it starts, against one corvane-sim --latency (the
# stand-in, timing both roads across the bridge):
#   corvane.exe   with a corvane.ini of that Speed, bridging the stand-in
#   bare-client   a plain window that makes one exchange of the same 14
#                 reads per tick and nothing else (tests/perf/bare_client.cpp)
# and prints the probe's figures, then the CPU of both clients over the
# probe's interval (all threads, from /proc/<pid>/task/*/schedstat), per
# second and per exchange, and their ratio per exchange.
#
#   scripts/latency.sh                    Speed=20 and Speed=10, 30 s each
#   LATENCY_SECONDS=60 scripts/latency.sh
#   LATENCY_SPEEDS="20" scripts/latency.sh
#   LATENCY_APP=/path/corvane.exe LATENCY_BARE=/path/bare-client.exe \
#       scripts/latency.sh                another build (MinGW: compare it with
#                                         the bare client of the same build)
#   LATENCY_PIN=no scripts/latency.sh     let the scheduler place everything
#
# Every process of a run shares one core (taskset) unless LATENCY_PIN=no:
# a client that lands on the core of the Wine server pays less per tick than
# one that does not, which otherwise decides the ratio more than the code.
# Builds the wine preset's programs when needed; runs inside Xvfb when there
# is no display, with a Wine prefix of its own in the build folder.
set -euo pipefail

cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${LATENCY_SECONDS:-30}
speeds=${LATENCY_SPEEDS:-"20 10"}
build=$(realpath -m "${LATENCY_BUILD_DIR:-$root/build/wine}")
wine=/usr/lib/wine/wine64
goal_ratio=1.10

say() { echo "latency.sh: $*"; }

# ---- what is missing, a display, one core ---------------------------------------
scripts/install-deps.sh demo
if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a -s "-screen 0 1024x768x24" "$0" "$@"
fi
if [ "${LATENCY_PIN:-yes}" != no ] && [ -z "${LATENCY_PINNED:-}" ]; then
    core=$(($(nproc) - 1))
    export LATENCY_PINNED=$core
    exec taskset -c "$core" "$0" "$@"
fi

# ---- build ---------------------------------------------------------------------
cmake --preset wine -B "$build" >/dev/null
cmake --build "$build" -j 2 --target corvane corvane-sim bare-client | grep -v '^ninja: no work' || true
app=${LATENCY_APP:-$build/app/win32/corvane.exe.so}
sim="$build/sim/win32/corvane-sim.exe.so"
bare=${LATENCY_BARE:-$build/tests/perf/bare-client.exe.so}

export WINEPREFIX="$build/latency-wineprefix"
export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree=;mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then
    say "creating the Wine prefix (once)"
    mkdir -p "$WINEPREFIX"
    "$wine" wineboot -i >/dev/null 2>&1
    "$(dirname "$wine")/wineserver" -w
fi

# ---- one run per tick period -----------------------------------------------------
work=$(mktemp -d /tmp/corvane-latency.XXXXXX)
pids=()
cleanup() {
    local pid
    for pid in "${pids[@]}"; do
        kill "$pid" 2>/dev/null || true
    done
    for pid in "${pids[@]}"; do
        wait "$pid" 2>/dev/null || true
    done
    timeout 20 "$(dirname "$wine")/wineserver" -w 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT

# CPU time of a process so far, all its threads, in nanoseconds.
cpu_ns() {
    local total=0 task run
    for task in /proc/"$1"/task/*/schedstat; do
        read -r run _ <"$task" && total=$((total + run))
    done
    echo "$total"
}

# Waits until the file holds a line matching the pattern; false after $3 s.
wait_for() {
    local i
    for ((i = 0; i < $3 * 20; i++)); do
        grep -q "$2" "$1" && return 0
        sleep 0.05
    done
    return 1
}

run() {
    local speed=$1 log="$work/sim-$1.log"
    say "Speed=$speed: corvane.exe and bare-client against corvane-sim --latency $seconds${LATENCY_PINNED:+, all on core $LATENCY_PINNED}"
    mkdir -p "$work/app-$speed"
    printf '[General]\nSpeed=%s\n\n[Minimize]\nScreen=0\n' "$speed" >"$work/app-$speed/corvane.ini"

    "$wine" "$sim" --latency "$seconds" >"$log" 2>&1 &
    local sim_pid=$!
    pids=("$sim_pid")
    wait_for "$log" "serving offsets" 60 || { cat "$log"; return 1; }
    "$wine" "$bare" --speed "$speed" >/dev/null 2>&1 &
    local bare_pid=$!
    (cd "$work/app-$speed" && exec "$wine" "$app") >/dev/null 2>&1 &
    local app_pid=$!
    pids+=("$bare_pid" "$app_pid")

    wait_for "$log" "measuring" 90 || { cat "$log"; return 1; }
    local app0 bare0 app1 bare1
    app0=$(cpu_ns "$app_pid")
    bare0=$(cpu_ns "$bare_pid")
    wait_for "$log" "offsets to aircraft" $((seconds + 30)) || { cat "$log"; return 1; }
    app1=$(cpu_ns "$app_pid")
    bare1=$(cpu_ns "$bare_pid")
    wait "$sim_pid" || true
    kill "$app_pid" "$bare_pid" 2>/dev/null || true
    wait "$app_pid" "$bare_pid" 2>/dev/null || true
    pids=()

    grep '^latency:' "$log"
    # The bridge's exchanges and the other client's (the bare client's).
    local measured app_exchanges bare_exchanges
    measured=$(sed -n 's/^latency: \([0-9.]*\) s measured.*/\1/p' "$log")
    app_exchanges=$(sed -n 's/.*bridge (process [0-9]*) exchanged every [0-9.]* ms (\([0-9]*\) exchanges.*/\1/p' "$log")
    bare_exchanges=$(sed -n 's/.*other client (process [0-9]*) exchanged every [0-9.]* ms (\([0-9]*\) exchanges.*/\1/p' "$log" | head -n 1)
    awk -v s="$measured" -v a=$((app1 - app0)) -v b=$((bare1 - bare0)) \
        -v na="${app_exchanges:-0}" -v nb="${bare_exchanges:-0}" -v goal="$goal_ratio" 'BEGIN {
        if (s == 0 || na == 0 || nb == 0) { print "cpu: no figures (no exchanges counted)"; exit 1 }
        pa = a / na / 1000; pb = b / nb / 1000
        printf "cpu: corvane.exe %.3f%% of a core, %.1f us per exchange (%d exchanges)\n", a / (s * 1e7), pa, na
        printf "cpu: bare client %.3f%% of a core, %.1f us per exchange (%d exchanges)\n", b / (s * 1e7), pb, nb
        printf "cpu: corvane.exe / bare client, per exchange: %.2f (goal %.2f: %s)\n", pa / pb, goal, pa / pb <= goal ? "met" : "missed"
    }'
}

status=0
for speed in $speeds; do
    run "$speed" || status=1
done
exit $status
