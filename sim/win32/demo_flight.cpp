// A plausible aircraft for corvane-sim (see demo_flight.h).
#include "sim/win32/demo_flight.h"

#include "aircraft/link.h"
#include "export/tables.h"

namespace corvane::sim::demo {
namespace {

using data_export::kAnnunciatorRows;
using data_export::kDisplayWindows;
using data_export::kNoField;
using data_export::kPanelRows;

struct KnobWindow {
    int window;
    std::int32_t value;
};

// Flight altitude FL350, landing altitude 50, courses 123, speed 250,
// heading 270, altitude 10000, vertical speed 1500 up.
constexpr KnobWindow kClimbOut[] = {
    {0, 35000}, {1, 50}, {2, 123}, {3, 250}, {4, 270}, {5, 10000}, {6, 1500}, {7, 123},
};
constexpr int kKnobWindows = 8;
constexpr std::size_t kVerticalSpeedSign = 0x01F4;
constexpr std::int32_t kPositive = 0;

// Fields that belong to the knobs or to the link itself: never animated.
bool reserved_field(std::uint32_t offset) {
    if (offset == aircraft::kDataValidOffset || offset == kVerticalSpeedSign) {
        return true;
    }
    for (int k = 0; k < kKnobWindows; ++k) {
        if (offset >= kDisplayWindows[k].first_field && offset <= kDisplayWindows[k].last_field) {
            return true;
        }
    }
    return false;
}

// A slowly changing number per window: radios stepping, counters running.
std::int32_t window_value(int k, std::uint32_t seconds) {
    constexpr std::int32_t kLimits[] = {10, 100, 1000, 10000, 100000};
    const int digits = kDisplayWindows[k].digits;
    const std::int32_t limit = kLimits[digits - 1];
    const std::uint32_t base = static_cast<std::uint32_t>(k) * 1237u;
    const std::uint32_t rate = static_cast<std::uint32_t>(k % 4) + 1u;
    return static_cast<std::int32_t>((base + seconds * rate) % static_cast<std::uint32_t>(limit));
}

// Some windows go dark now and then, as unpowered displays do.
bool window_dark(int k, std::uint32_t seconds) { return k % 5 == 0 && (seconds / 4) % 3 == 2; }

}  // namespace

void prepare(AircraftModel& aircraft) {
    aircraft.set_data_valid(1);
    aircraft.poke_i32(Block::Sdk1, kVerticalSpeedSign, kPositive);
    for (const KnobWindow& knob : kClimbOut) {
        aircraft.set_window(knob.window, knob.value);
    }
    animate(aircraft, 0);
}

void animate(AircraftModel& aircraft, std::uint32_t tick) {
    const std::uint32_t seconds = tick / kTicksPerSecond;

    // Annunciators: each light switches on its own beat of a few seconds.
    std::uint32_t light = 0;
    for (const auto& row : kAnnunciatorRows) {
        const Block block = row.block == data_export::kSdk2 ? Block::Sdk2 : Block::Sdk1;
        for (std::uint32_t field : row.field) {
            ++light;
            if (field == kNoField || (block == Block::Sdk1 && reserved_field(field))) {
                continue;
            }
            const std::uint32_t beat = 2 + light % 5;
            const std::int32_t on = ((seconds + light) / beat) % 2 == 0 ? 1 : 0;
            aircraft.poke_i32(block, field, on);
        }
    }

    // Panel values: switches flip slowly, gauges drift every tick.
    std::uint32_t index = 0;
    for (const auto& row : kPanelRows) {
        ++index;
        if (reserved_field(row.source)) {
            continue;
        }
        if (row.type == data_export::kInteger) {
            aircraft.poke_i32(Block::Sdk1, row.source,
                              static_cast<std::int32_t>((seconds / (1 + index % 7)) % 3));
        } else {
            const double phase = static_cast<double>((tick + index * 37) % 600);
            const double value = row.scale != data_export::kUnscaled ? phase / 600.0 : phase * 5.0;
            aircraft.poke_f64(Block::Sdk1, row.source, value);
        }
    }

    // The other 25 windows.
    for (int k = kKnobWindows; k < data_export::kDisplayCount; ++k) {
        if (window_dark(k, seconds)) {
            aircraft.blank_window(k);
        } else {
            aircraft.set_window(k, window_value(k, seconds));
        }
    }
}

}  // namespace corvane::sim::demo
