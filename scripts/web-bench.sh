#!/usr/bin/env bash
# corvane-web under load, under Wine (the README's "Performance"): against
# one corvane-sim --hand (the aircraft held still), corvane-web --write-any
# serves web_bench's clients (tests/bench/web_bench.cpp: 8 reading the whole
# block every 50 ms); then corvane-monitor's live view reads the same block
# at the same interval. Prints the latency of a change to every client, the
# offset server's exchanges per period, and the CPU per exchange of
# corvane-web and of the monitor (all threads, /proc/<pid>/task/*/schedstat).
#
#   scripts/web-bench.sh                     8 clients, 50 ms, 30 s
#   WEB_BENCH_CLIENTS=16 WEB_BENCH_SECONDS=60 scripts/web-bench.sh
#
# Needs the wine and native presets built (corvane-sim, corvane-web,
# corvane-monitor; web_bench). Runs inside Xvfb when there is no display.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
clients=${WEB_BENCH_CLIENTS:-8}
interval=${WEB_BENCH_INTERVAL:-50}
seconds=${WEB_BENCH_SECONDS:-30}
wine_build=$root/build/wine
bench=$root/build/native/tests/bench/web_bench
wine=/usr/lib/wine/wine64
port=${WEB_BENCH_PORT:-8431}

if [ -z "${DISPLAY:-}" ]; then
    exec xvfb-run -a "$0" "$@"
fi
export WINEPREFIX="$wine_build/wineprefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
work=$(mktemp -d)
pids=()
cleanup() {
    for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
    rm -rf "$work"
}
trap cleanup EXIT

# CPU of a process in nanoseconds, all its threads.
cpu_ns() {
    local total=0 t
    for t in /proc/"$1"/task/*/schedstat; do
        total=$((total + $(cut -d' ' -f1 "$t")))
    done
    echo "$total"
}

# One stand-in per phase, for its count of exchanges served.
start_sim() {
    sleep $(($1 + 5)) | "$wine" "$wine_build/sim/win32/corvane-sim.exe.so" --hand --no-dump --seconds "$1" \
        > "$work/$2" 2>&1 &
    sim=$!
    pids+=("$sim")
    for _ in $(seq 100); do grep -q "serving offsets" "$work/$2" 2>/dev/null && break; sleep 0.2; done
}
periods=$((seconds * 1000 / interval))

start_sim $((seconds + 6)) sim-web.log
"$wine" "$wine_build/web/win32/corvane-web.exe.so" --write-any --listen "127.0.0.1:$port" > "$work/web.log" 2>&1 &
web=$!
pids+=("$web")
for _ in $(seq 100); do grep -q "FSUIPC found" "$work/web.log" 2>/dev/null && break; sleep 0.2; done

before=$(cpu_ns "$web")
"$bench" "ws://127.0.0.1:$port/fsuipc/" "$clients" "$interval" "$seconds" | tee "$work/bench.log"
after=$(cpu_ns "$web")
wait "$sim" || true
kill "$web" 2>/dev/null || true
served=$(sed -n 's/.*stopped after \([0-9]*\) exchanges.*/\1/p' "$work/sim-web.log")
echo "offset server: ${served:-?} exchanges for $periods periods of $interval ms ($clients clients)"
web_us=$(( (after - before) / periods / 1000 ))
echo "corvane-web: $(( (after - before) / 1000000 )) ms CPU over ${seconds} s, $web_us us per exchange"

start_sim $((seconds + 6)) sim-monitor.log
"$wine" "$wine_build/monitor/win32/corvane-monitor.exe.so" --interval "$interval" > "$work/monitor.log" 2>&1 &
monitor=$!
pids+=("$monitor")
sleep 2
if [ ! -d /proc/"$monitor" ]; then cat "$work/monitor.log"; exit 1; fi
before=$(cpu_ns "$monitor")
sleep "$seconds"
after=$(cpu_ns "$monitor")
kill "$monitor" 2>/dev/null || true
monitor_us=$(( (after - before) / periods / 1000 ))
echo "corvane-monitor --interval $interval: $(( (after - before) / 1000000 )) ms CPU over ${seconds} s, $monitor_us us per exchange"
if [ "$monitor_us" -gt 0 ]; then
    echo "CPU per exchange, corvane-web / corvane-monitor: $(awk "BEGIN { printf \"%.2f\", $web_us / $monitor_us }")"
fi
