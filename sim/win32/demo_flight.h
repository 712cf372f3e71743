// A plausible aircraft for corvane-sim: the autopilot windows set up once,
// then the other windows, annunciators and panel values kept moving so that
// every part of the offset block visibly changes while Corvane bridges it.
#pragma once

#include <cstdint>

#include "sim/aircraft_model.h"

namespace corvane::sim::demo {

// Ticks of the animation per second.
constexpr std::uint32_t kTicksPerSecond = 10;

// Data valid, the eight knob windows showing a climb-out setting.
void prepare(AircraftModel& aircraft);

// The state at a given tick. Leaves the knob windows, the vertical speed
// sign and the data-valid field alone, so knob commands stick and the
// aircraft stays valid.
void animate(AircraftModel& aircraft, std::uint32_t tick);

}  // namespace corvane::sim::demo
