// The aircraft SDK link: open and close the two views, locate the simulator,
// post commands, take the snapshots.
#include "aircraft/link.h"

#include <cmath>
#include <cstring>

#include "common/numbers.h"

namespace corvane::aircraft {

namespace {

// Far below one hundredth and far above the error of a few double additions.
constexpr double kHundredthsTolerance = 1e-9;

// Release one mapping and its view, clearing each field after its release.
void release(Os& os, Handle& mapping, const unsigned char*& view) {
    if (view != nullptr) {
        os.unmap_view(view);
        view = nullptr;
    }
    if (mapping != kNoHandle) {
        os.close_handle(mapping);
        mapping = kNoHandle;
    }
}

}  // namespace

std::int32_t open(Link& link, Os& os, std::int32_t link_result_code) {
    link.sdk1_mapping = os.open_mapping(kSdk1MappingName);
    if (link.sdk1_mapping == kNoHandle) {
        return kNotAvailable;
    }
    link.sdk1_view = os.map_view(link.sdk1_mapping, false, kSdk1ViewSize);
    if (link.sdk1_view == nullptr) {
        release(os, link.sdk1_mapping, link.sdk1_view);
        return kNotAvailable;
    }
    link.sdk2_mapping = os.open_mapping(kSdk2MappingName);
    if (link.sdk2_mapping != kNoHandle) {
        link.sdk2_view = os.map_view(link.sdk2_mapping, false, kSdk2ViewSize);
    }
    if (link.sdk2_view == nullptr) {
        release(os, link.sdk1_mapping, link.sdk1_view);
        release(os, link.sdk2_mapping, link.sdk2_view);
        return kNotAvailable;
    }
    locate_simulator(link, os);
    return link_result_code;
}

void close(Link& link, Os& os) {
    release(os, link.sdk1_mapping, link.sdk1_view);
    release(os, link.sdk2_mapping, link.sdk2_view);
}

bool simulator_alive(Link& link, Os& os) {
    if (link.simulator_window != kNoHandle && !os.is_window(link.simulator_window)) {
        link.simulator_window = kNoHandle;
    }
    return link.simulator_window != kNoHandle;
}

void locate_simulator(Link& link, Os& os) {
    // A simulator that was restarted has a new window: posts to the old one
    // would go nowhere, so a window that no longer exists counts as unknown.
    if (!simulator_alive(link, os)) {
        link.simulator_window = os.find_window(kSimulatorWindowClass);
    }
    if (link.command_message == 0) {
        link.command_message = os.register_message(kCommandMessageName);
    }
}

Post post_command(const Link& link, Os& os, std::int32_t command, double value) {
    if (!simulator_known(link)) {
        return Post::NoSimulator;
    }
    // The add-on takes fractions as hundredths: 0.79 arrives as 79.
    if (value > 0.0 && value < 1.0) {
        value *= 100.0;
        // Decimal hundredths are not exact in binary: 0.29 * 100 and
        // 0.06 + 0.01 (a knob step) land a hair below the whole number, and
        // truncation would then post one hundredth too few. Snap those.
        const double nearest = std::round(value);
        if (std::fabs(value - nearest) < kHundredthsTolerance) {
            value = nearest;
        }
    }
    const bool posted = os.post(link.simulator_window, link.command_message,
                                static_cast<std::uintptr_t>(static_cast<std::uint32_t>(command)),
                                static_cast<std::intptr_t>(to_int32_trunc(value)));
    return posted ? Post::Posted : Post::Refused;
}

namespace {

// The aircraft changes its blocks far less often than the bridge ticks.
// Comparing costs no more than copying, and an unchanged block spares the
// copy and tells the bridge that everything derived from it still holds.
bool refresh(unsigned char* block, const unsigned char* view, std::size_t size,
             std::uint64_t& revision) {
    if (view == nullptr) {
        return false;
    }
    const auto copy = [](unsigned char* to, const unsigned char* from, std::size_t n) {
        std::memcpy(to, from, n);
    };
    if (copy_settled(block, view, size, copy) != 0) {
        ++revision;
    }
    return true;
}

}  // namespace

bool snapshot_sdk1(const Link& link, Snapshots& blocks) {
    return refresh(blocks.sdk1, link.sdk1_view, kSdk1BlockSize, blocks.revision);
}

bool snapshot_sdk2(const Link& link, Snapshots& blocks) {
    return refresh(blocks.sdk2, link.sdk2_view, kSdk2BlockSize, blocks.revision);
}

std::int32_t data_valid_field(const Snapshots& blocks) {
    return load_i32(blocks.sdk1 + kDataValidOffset);
}

}  // namespace corvane::aircraft
