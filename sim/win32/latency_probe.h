// The latency probe behind `corvane-sim --latency`: how long a change takes
// to cross a running bridge in each direction, timed at both ends of it.
//
// Export road (aircraft to offsets): at a random moment the probe shows a new
// altitude in the aircraft's SDK1 block and notes the time; the sample ends
// when an exchange that writes that value into the altitude's display offset
// reaches the server window. Command road (offsets to aircraft): at a random
// moment it moves a step counter one step, as a hardware client would, and
// the sample ends when the step command reaches the aircraft. The gaps are
// random (100-300 ms) so that samples fall at every phase of the bridge's
// timer. One sample per road is in flight at a time; one that has not ended
// after a second is counted as lost.
//
// The client whose exchanges carry the probe's altitude is the bridge: the
// mean gap between its exchanges is the tick period it really runs at.
// Other clients of the same server (the bare client beside it) are listed
// with their own period.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>

#include "sim/win32/sim_host.h"

namespace corvane::sim::win32 {

struct LatencyOptions {
    std::uint32_t seconds = 10;       // length of the measurement
    std::uint32_t warmup_ms = 60000;  // how long to wait for a bridge first
};

// Figures of one road over the measurement, in milliseconds.
struct RoadFigures {
    std::size_t samples = 0;
    std::size_t lost = 0;  // not ended within a second
    double p50_ms = 0.0;
    double p99_ms = 0.0;
    double max_ms = 0.0;
};

// The exchanges one client sent during the measurement.
struct ClientTicks {
    unsigned long pid = 0;  // from its area name
    std::size_t exchanges = 0;
    double period_ms = 0.0;       // mean gap between its exchanges
    double longest_gap_ms = 0.0;
};

struct LatencyReport {
    bool bridge_found = false;  // false: no client bridged within the warm-up
    double seconds = 0.0;       // length of the measurement as it ran
    RoadFigures export_road;    // aircraft to offsets
    RoadFigures command_road;   // offsets to aircraft
    ClientTicks bridge;
    static constexpr std::size_t kMaxOthers = 4;
    std::size_t other_count = 0;
    ClientTicks others[kMaxOthers];
};

// Runs the probe on the calling thread against a running host whose
// aircraft is published and valid: waits for a bridge, then measures for
// options.seconds. Progress lines ("latency: measuring ...") go to progress
// when it is not null. The host's observer is taken for the run.
LatencyReport run_latency_probe(SimHost& host, const LatencyOptions& options,
                                std::FILE* progress);

// The figures as lines beginning "latency: ", with the goal each road is
// held to (p99 within one tick period plus 2 ms).
void print_latency_report(std::FILE* out, const LatencyReport& report);

}  // namespace corvane::sim::win32
