// The inputs written by hand: what --command, --value, --turn and --step
// write, worked out from the block as just read. Counters get their current
// value plus the steps, modulo 256, exactly as a panel's encoder would
// leave them. Only the input offsets (0x9400, 0x9428, 0x94F0-0x94FB) are
// ever written; the offsets Corvane exports are left to Corvane.
#pragma once

#include <cstdint>
#include <vector>

#include "monitor/block.h"
#include "monitor/options.h"

namespace corvane::monitor {

struct InputWrite {
    std::uint32_t offset;
    std::uint32_t size;  // 1 or 2
    unsigned char bytes[2];
    std::int32_t old_value;  // as read, decoded as the field's type
    std::int32_t new_value;
};

// In offset order; block is the 252 bytes read at 0x9400.
std::vector<InputWrite> plan_inputs(const Options& options, const unsigned char* block);

}  // namespace corvane::monitor
