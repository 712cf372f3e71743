// Command import: the reads of the command offsets in every cycle's exchange
// and the commands they call for.
#include "bridge/commands.h"

#include <array>
#include <cstring>

#include "common/numbers.h"

namespace corvane::bridge {

namespace {

constexpr std::int16_t kHoldCycles = 5;

// The twelve counters are read one after the other, knobs first.
static_assert(kStepCounterOffset == kKnobCounterOffset + kKnobCount);

// The reads of every cycle, in their order, each into its place in read_bytes.
constexpr std::size_t kReadCount = 2 + kKnobCount + kStepCounterCount;
constexpr std::array<fsuipc::BatchRead, kReadCount> command_reads() {
    std::array<fsuipc::BatchRead, kReadCount> reads{};
    reads[0] = {kCommandWordOffset, 2, kCommandWordAt};
    for (std::uint32_t i = 0; i < kKnobCount + kStepCounterCount; ++i) {
        reads[1 + i] = {kKnobCounterOffset + i, 1, static_cast<std::uint32_t>(kCountersAt + i)};
    }
    reads[kReadCount - 1] = {kValueByteOffset, 1, kValueByteAt};
    return reads;
}
constexpr std::array<fsuipc::BatchRead, kReadCount> kCommandReads = command_reads();
static_assert(kCommandReads[kReadCount - 1].at + 1 == kReadBytes);

bool hundredths_mode(const aircraft::Snapshots& blocks) {
    return data_export::speed_in_hundredths(blocks.sdk1);
}

void post(CommandContext& c, std::int32_t command, double value) {
    if (aircraft::post_command(c.link, c.os, command, value) == aircraft::Post::Refused) {
        ++c.state.failed_posts;
        c.state.failed_post_error = c.os.last_error();
    }
}

void handle_value_byte(CommandContext& c) {
    CommandState& s = c.state;
    const auto value_byte = static_cast<std::uint16_t>(s.value_byte);
    if (value_byte != s.last_value_byte) {
        post(c, kValueByteCommand, static_cast<double>(value_byte));
        s.last_value_byte = value_byte;
    }
}

void handle_command_word(CommandContext& c) {
    CommandState& s = c.state;
    if (s.command_word < 0) {
        return;
    }
    post(c, s.command_word, 0.0);
    // Mark it handled before the reset goes out: a failed reset must not make
    // this cycle or the next post the same command from the variable again.
    s.command_word = kNoCommand;
    unsigned char reset[2];
    store_u16(reset, static_cast<std::uint16_t>(kNoCommand));
    fsuipc::write(c.client, kCommandWordOffset, sizeof reset, reset, c.link_result_code);
    fsuipc::process(c.client, c.os, c.link_result_code);
}

void handle_step_counters(CommandContext& c) {
    CommandState& s = c.state;
    for (int i = 0; i < kStepCounterCount; ++i) {
        if (s.step_counter[i] == s.step_last_seen[i]) {
            continue;
        }
        const std::int32_t r = wrapped_difference(s.step_counter[i], s.step_last_seen[i]);
        s.step_last_seen[i] = s.step_counter[i];
        const std::int32_t command = r < 0 ? kStepRows[i].down : kStepRows[i].up;
        for (std::int32_t n = r < 0 ? -r : r; n > 0; --n) {
            post(c, command, 0.0);
        }
    }
}

double knob_base(const CommandContext& c, int knob) {
    const KnobRow& row = kKnobRows[knob];
    double base = data_export::display_at(c.displays, row.display_offset);
    // A blank window is told by its display value before the sign or the
    // hundredths touch it: negated or divided, 65535 would enter the sum as
    // a number no window showed (-65535 + 100 clamped to -7900, 655.36).
    if (base == data_export::kBlankDisplay) {
        return base;
    }
    switch (row.adjust) {
        case BaseAdjust::None:
            break;
        case BaseAdjust::NegateWhenSignNegative:
            if (load_i32(c.blocks.sdk1 + kSignFieldOffset) == kNegativeSign) {
                base = -base;
            }
            break;
        case BaseAdjust::HundredthsMode:
            if (hundredths_mode(c.blocks)) {
                base /= kHundredthsDivisor;
            }
            break;
    }
    return base;
}

void handle_knob(CommandContext& c, int knob) {
    CommandState& s = c.state;
    const KnobRow& row = kKnobRows[knob];
    const std::int32_t r = wrapped_difference(s.knob_counter[knob], s.knob_last_seen[knob]);

    double base;
    if (s.hold[knob] == 0) {
        base = knob_base(c, knob);
        s.hold[knob] = kHoldCycles;
    } else {
        base = s.held[knob];
    }

    double step = row.step;
    if (row.adjust == BaseAdjust::HundredthsMode && hundredths_mode(c.blocks)) {
        step = kHundredthsStep;
    }

    double value;
    if (base == data_export::kBlankDisplay && row.blank == BlankBase::KeepValue) {
        value = base;
    } else {
        if (base == data_export::kBlankDisplay) {
            base = 0.0;
        }
        value = base + r * step;
    }
    if (row.ranged) {
        if (value < row.low) {
            value = row.low;
        } else if (value > row.high) {
            value = row.high;
        }
    }

    s.held[knob] = value;
    s.knob_last_seen[knob] = s.knob_counter[knob];
    post(c, row.command, value);
}

}  // namespace

std::int32_t wrapped_difference(std::int32_t now, std::int32_t last_seen) {
    std::int32_t d = now - last_seen;
    if (d < 128) {
        d += 256;
    }
    if (d > 128) {
        d -= 256;
    }
    return d;
}

void reset_command_state(CommandState& state) {
    state = CommandState{};
    state.command_word = kNoCommand;
    state.value_baseline_pending = true;
}


int queue_command_reads_and_exchange(CommandContext& c) {
    CommandState& s = c.state;
    // A read that does not happen must read as what the variable held.
    unsigned char* bytes = s.read_bytes;
    store_u16(bytes + kCommandWordAt, static_cast<std::uint16_t>(s.command_word));
    for (int i = 0; i < kKnobCount; ++i) {
        bytes[kCountersAt + i] = static_cast<unsigned char>(s.knob_counter[i]);
    }
    for (int i = 0; i < kStepCounterCount; ++i) {
        bytes[kCountersAt + kKnobCount + i] = static_cast<unsigned char>(s.step_counter[i]);
    }
    bytes[kValueByteAt] = static_cast<unsigned char>(s.value_byte);

    if (s.prepared_reads.destination != bytes) {
        fsuipc::prepare_reads(s.prepared_reads, kCommandReads.data(), kCommandReads.size(),
                              bytes);
    }
    fsuipc::queue_reads(c.client, s.prepared_reads, c.link_result_code);
    if (fsuipc::process(c.client, c.os, c.link_result_code) == 0) {
        return 0;
    }
    s.command_word = static_cast<std::int16_t>(load_u16(bytes + kCommandWordAt));
    for (int i = 0; i < kKnobCount; ++i) {
        s.knob_counter[i] = bytes[kCountersAt + i];
    }
    for (int i = 0; i < kStepCounterCount; ++i) {
        s.step_counter[i] = bytes[kCountersAt + kKnobCount + i];
    }
    s.value_byte = bytes[kValueByteAt];
    if (s.counter_baseline_pending) {
        std::memcpy(s.knob_last_seen, s.knob_counter, sizeof s.knob_last_seen);
        std::memcpy(s.step_last_seen, s.step_counter, sizeof s.step_last_seen);
        s.counter_baseline_pending = false;
    }
    if (s.value_baseline_pending) {
        s.last_value_byte = static_cast<std::uint16_t>(s.value_byte);
        s.value_baseline_pending = false;
    }
    return 1;
}

namespace {

// Whether the last read calls for a post: a command word, a value byte other
// than the last posted one, a counter that moved. Nearly every cycle finds
// none of them, said in a few wide compares.
bool commands_to_post(const CommandState& s) {
    return s.command_word >= 0 || static_cast<std::uint16_t>(s.value_byte) != s.last_value_byte ||
           std::memcmp(s.step_counter, s.step_last_seen, sizeof s.step_counter) != 0 ||
           std::memcmp(s.knob_counter, s.knob_last_seen, sizeof s.knob_counter) != 0;
}

bool any_hold(const CommandState& s) {
    static constexpr std::int16_t kNoHold[kKnobCount] = {};
    return std::memcmp(s.hold, kNoHold, sizeof s.hold) != 0;
}

}  // namespace

void handle_commands(CommandContext& c) {
    // A knob still on hold with nothing moved posts nothing, but its hold
    // counts down.
    const bool to_post = commands_to_post(c.state);
    if (!to_post && !any_hold(c.state)) {
        return;
    }
    if (to_post && !aircraft::simulator_alive(c.link, c.os)) {
        return;
    }
    handle_value_byte(c);
    handle_command_word(c);
    handle_step_counters(c);
    for (std::int16_t& hold : c.state.hold) {
        if (hold > 0) {
            --hold;
        }
    }
    for (int knob = 0; knob < kKnobCount; ++knob) {
        if (c.state.knob_counter[knob] != c.state.knob_last_seen[knob]) {
            handle_knob(c, knob);
        }
    }
}

}  // namespace corvane::bridge
