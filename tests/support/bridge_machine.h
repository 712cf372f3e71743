// A stateful model of the whole core for property testing: the bridge, the
// connection lifecycle and a recording shell, run against the in-process fake
// through random interleavings of steps (aircraft block changes, hardware
// inputs, exchange faults, server restarts, the simulator's window going
// while its offset server answers on, the aircraft coming and going, "Run!",
// timer ticks), with invariants checked from the outside after every step:
//
//   * in step: after every successful cycle the server's offset block holds
//     exactly what a full export of the same blocks (every shadow cleared)
//     writes, so the change-only writes never leave a stale offset behind;
//   * no lost or doubled input: every counter movement the server held
//     becomes its step commands exactly once, knobs, the value byte and the
//     command word are posted once per value read, and only to the live
//     simulator window; what a server's counters hold at the first read after
//     start or a new server is their baseline; after a cycle that read
//     everything with a live simulator window nothing is pending;
//   * nothing leaks: the fake's handles, views, atoms and mapping objects are
//     exactly those the two open links hold, and no release is ever doubled
//     or of something unknown;
//   * a bridging tick allocates nothing;
//   * the status log never lies: the timer runs exactly when the last line
//     is "Status : OK", and a healthy world always bridges again after "Run!".
//
// The choices come from a seeded generator (the ctest) or from a fuzzer's
// bytes (the libFuzzer target): both drive this same machine.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "bridge/bridge.h"
#include "tests/support/fake_os.h"

namespace corvane::testing {

// Where the machine takes its decisions from.
class Choices {
public:
    virtual ~Choices() = default;
    // A number in [0, bound); 0 when bound is 0 or 1.
    virtual std::uint32_t below(std::uint32_t bound) = 0;
    // True once a byte source has run dry (a generator never does).
    virtual bool exhausted() const { return false; }
};

// splitmix64: small, fast, and the same sequence on every platform.
class SeededChoices final : public Choices {
public:
    explicit SeededChoices(std::uint64_t seed) : state_(seed) {}
    std::uint32_t below(std::uint32_t bound) override;

private:
    std::uint64_t state_;
};

// The fuzzer's bytes, one or more per decision; zeros once they run out.
class ByteChoices final : public Choices {
public:
    ByteChoices(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    std::uint32_t below(std::uint32_t bound) override;
    bool exhausted() const override { return used_ >= size_; }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t used_ = 0;
};

// What a run tried, for the figures.
struct MachineFigures {
    std::uint64_t steps = 0;
    std::uint64_t cycles = 0;              // timer ticks that ran a bridge cycle
    std::uint64_t in_step_checks = 0;      // successful cycles compared with a full export
    std::uint64_t complete_reads = 0;      // ... that read every command offset
    std::uint64_t allocation_checks = 0;   // bridging ticks counted for allocations
    std::uint64_t block_changes = 0;
    std::uint64_t inputs = 0;              // hardware writes into the offset block
    std::uint64_t faults = 0;              // exchange faults, windows, restarts, aircraft gone
    std::uint64_t restarts = 0;
    std::uint64_t run_presses = 0;
    std::uint64_t automatic_reconnects = 0;
    std::uint64_t step_commands = 0;       // step commands posted
    std::uint64_t other_commands = 0;      // knob, value-byte and command-word posts

    MachineFigures& operator+=(const MachineFigures& other);
};

struct MachineOptions {
    // Check that a bridging tick allocates nothing. Off where another thread
    // may allocate meanwhile (libFuzzer's own threads).
    bool count_allocations = true;
};

class BridgeMachine {
public:
    // Starts Corvane in a healthy world (the setup choices pick the server's
    // window class) and runs one tick.
    explicit BridgeMachine(Choices& setup, const MachineOptions& options = MachineOptions{});
    ~BridgeMachine();
    BridgeMachine(const BridgeMachine&) = delete;
    BridgeMachine& operator=(const BridgeMachine&) = delete;

    // One step and the invariants after it; false once any invariant failed.
    bool step(Choices& choices);
    // Heals the world, presses "Run!", ticks once (which must bridge and leave
    // nothing pending), then closes both links: nothing may stay held.
    bool finish();

    bool failed() const;
    // The first invariant that failed and the steps that led to it.
    std::string failure() const;
    const MachineFigures& figures() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// Empty when the fake holds exactly what the bridge's links hold (one
// handle, one view and one atom for an open FSUIPC link, two handles and two
// views for an open aircraft link, the published blocks beside them) and no
// release went wrong; otherwise what differs.
std::string resources_out_of_step(const FakeOs& fake, const bridge::Bridge& bridge);

}  // namespace corvane::testing
