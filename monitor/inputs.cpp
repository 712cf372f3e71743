// The inputs written by hand.
#include "monitor/inputs.h"

#include "common/numbers.h"

namespace corvane::monitor {

namespace {

constexpr int kCounterModulus = 256;

std::uint8_t byte_at(const unsigned char* block, std::uint32_t offset) {
    return block[offset - kBlockFirst];
}

InputWrite counter_write(const unsigned char* block, std::uint32_t offset, int steps) {
    const std::uint8_t old_value = byte_at(block, offset);
    const int turned = ((old_value + steps) % kCounterModulus + kCounterModulus) % kCounterModulus;
    InputWrite w{offset, 1, {static_cast<unsigned char>(turned), 0}, old_value, turned};
    return w;
}

}  // namespace

std::vector<InputWrite> plan_inputs(const Options& options, const unsigned char* block) {
    std::vector<InputWrite> writes;
    if (options.command_given) {
        InputWrite w{bridge::kCommandWordOffset, 2, {0, 0},
                     static_cast<std::int16_t>(load_u16(block + (bridge::kCommandWordOffset - kBlockFirst))),
                     options.command};
        store_u16(w.bytes, static_cast<std::uint16_t>(options.command));
        writes.push_back(w);
    }
    if (options.value_given) {
        writes.push_back(InputWrite{bridge::kValueByteOffset, 1,
                                    {static_cast<unsigned char>(options.value), 0},
                                    byte_at(block, bridge::kValueByteOffset), options.value});
    }
    for (int n = 0; n < bridge::kKnobCount; ++n) {
        if (options.knob_given[n]) {
            writes.push_back(counter_write(
                block, bridge::kKnobCounterOffset + static_cast<std::uint32_t>(n), options.knob_steps[n]));
        }
    }
    for (int n = 0; n < bridge::kStepCounterCount; ++n) {
        if (options.step_given[n]) {
            writes.push_back(counter_write(
                block, bridge::kStepCounterOffset + static_cast<std::uint32_t>(n), options.step_steps[n]));
        }
    }
    return writes;
}

}  // namespace corvane::monitor
