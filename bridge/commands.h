// Command import: the command word, the value byte, the step counters and the
// knob counters that other FSUIPC clients write into the offset block, read in
// every cycle's exchange and turned into posted aircraft commands.
#pragma once

#include <cstdint>

#include "aircraft/link.h"
#include "bridge/command_tables.h"
#include "export/export.h"
#include "fsuipc/client.h"
#include "platform/os.h"

namespace corvane::bridge {

// Where the exchange leaves the bytes it read, in the order of the reads:
// the command word (2 bytes), the eight knob counters, the four step
// counters, the value byte.
constexpr std::size_t kCommandWordAt = 0;
constexpr std::size_t kCountersAt = 2;
constexpr std::size_t kValueByteAt = kCountersAt + kKnobCount + kStepCounterCount;
constexpr std::size_t kReadBytes = kValueByteAt + 1;

// Everything command import keeps; zero at start. Only a new server (see
// reset_command_state) brings it back to its start values.
struct CommandState {
    // The counters live in the offset server, not here: what they hold when
    // Corvane first reads them was turned before it ran (by a panel beside an
    // earlier Corvane, or on a window of this server that is not the last
    // one). So the first successful read after start, and after a new server
    // window, is their baseline: only later movement is posted.
    bool counter_baseline_pending = true;
    // The same for the value byte, but only after a new server window: at
    // start a value byte other than 0 is posted once, as it always was.
    bool value_baseline_pending = false;

    unsigned char read_bytes[kReadBytes] = {};

    // What the last successful exchange read, decoded from read_bytes; a
    // failed exchange leaves them as they were.
    std::int16_t command_word = 0;
    std::int32_t knob_counter[kKnobCount] = {};
    std::int32_t step_counter[kStepCounterCount] = {};
    std::int32_t value_byte = 0;

    std::int32_t knob_last_seen[kKnobCount] = {};
    std::int32_t step_last_seen[kStepCounterCount] = {};
    std::uint16_t last_value_byte = 0;
    std::int16_t hold[kKnobCount] = {};
    double held[kKnobCount] = {};

    // The reads of every cycle laid out once, into read_bytes; laid out
    // again whenever they point elsewhere (a fresh or copied state).
    fsuipc::PreparedReads prepared_reads;

    // Posts the system refused (fire and forget: none is retried) since
    // whoever reports them last took them: how many, and the Windows error
    // of the last one.
    std::uint32_t failed_posts = 0;
    std::uint32_t failed_post_error = 0;
};

// Everything the command handling needs from the rest of the cycle.
struct CommandContext {
    CommandState& state;
    fsuipc::Client& client;
    std::int32_t& link_result_code;
    Os& os;
    aircraft::Link& link;  // a simulator window found gone is forgotten here
    const aircraft::Snapshots& blocks;
    const data_export::DisplayValues& displays;
};

// A new server window: what was last seen and posted on the old one must not
// turn into steps, knob jumps or a value-byte post. Back to the start values,
// with no command word pending, and the next read the baseline of the
// counters and the value byte.
void reset_command_state(CommandState& state);

// Wrapped difference of an 8-bit counter: -127..+128, the difference modulo 256.
std::int32_t wrapped_difference(std::int32_t now, std::int32_t last_seen);

// Stage 6: queue the reads of 0x9400, 0x94F0..0x94FB and 0x9428 and exchange.
int queue_command_reads_and_exchange(CommandContext& context);
// Stage 7: post what the reads call for. Posts go only to a live simulator
// window: one that no longer exists (asked only when there is something to
// post, not every tick) is forgotten, and nothing is handled, so what waits
// is acted upon once the next open of the aircraft link finds the window.
void handle_commands(CommandContext& context);

}  // namespace corvane::bridge
