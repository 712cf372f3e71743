// corvane-sim --hand: the aircraft held still and set by hand, one line at a
// time, so that a panel builder can light one lamp or fill one window and
// check the wire behind it.
//
//   set NAME VALUE   a display window, a panel value, an annunciator byte or
//                    one of its fields, written into the aircraft's SDK fields
//                    so that Corvane exports exactly VALUE
//   show NAME        the value as the aircraft shows it now
//   list [TEXT]      the names that contain TEXT
//   wait SECONDS     answered once the time has passed
//   quit
//
// NAME is a wiring-kit name, in any case (ALTITUDE_DISPLAY,
// annunciator_9402_bit0), or an offset: 0x943A, or 0x9402:0 for the field of
// an annunciator byte whose lowest bit is bit 0. Every line is answered with
// one line that starts "ok" or "error"; blank lines and lines starting with
// '#' (comments in a script file) get no answer. With names from the
// add-on's header (corvane-sim --names names.csv, see use_names), a header
// name is taken wherever a kit name is: set MCP_AT_ARM_LIGHT on.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "bridge/offset_map.h"
#include "sim/aircraft_model.h"

namespace corvane::aircraft {
struct Snapshots;
}

namespace corvane::sim {

// A name from the add-on's header for an offset, or for the field of an
// annunciator byte with this mask (0: the offset itself).
struct HandName {
    std::string name;
    std::uint32_t offset = 0;
    std::uint32_t mask = 0;
};

struct HandAnswer {
    enum class Then : std::uint8_t { Print, Nothing, WaitThenPrint, PrintThenQuit };
    Then then = Then::Print;
    std::string text;          // "ok ..." or "error ..."
    double wait_seconds = 0;   // WaitThenPrint only
};

class Hand {
public:
    Hand();
    ~Hand();
    Hand(const Hand&) = delete;
    Hand& operator=(const Hand&) = delete;

    // Carries out one line on the aircraft. The caller holds whatever lock
    // guards the aircraft, waits when told, and prints the answer.
    HandAnswer line(AircraftModel& aircraft, std::string_view text);

    // Names looked up, in any case, after the kit's; the first of two alike wins.
    void use_names(const std::vector<HandName>& names);

private:
    const bridge::OffsetEntry* find(std::string_view name) const;
    std::string suggestions(std::string_view name) const;
    std::string set(AircraftModel& aircraft, const bridge::OffsetEntry& entry,
                    std::string_view value);
    std::string show(const AircraftModel& aircraft, const bridge::OffsetEntry& entry);
    std::string list(std::string_view text) const;

    std::vector<bridge::OffsetEntry> names_;
    struct HeaderName {
        std::string key;    // upper case, as names are looked up
        std::string name;   // as the header spells it, for list
        std::size_t entry;  // into names_
    };
    std::vector<HeaderName> header_names_;
    // The aircraft's bytes copied for the exporter's own decoding.
    std::unique_ptr<aircraft::Snapshots> snapshots_;
};

}  // namespace corvane::sim
