// The whole core through seeded random interleavings of steps (see
// tests/support/bridge_machine.h for the steps and the invariants). A failure
// names the seed, the step and the steps that led to it; rerun one seed with
//   CORVANE_PROPERTY_FIRST_SEED=<seed> CORVANE_PROPERTY_SEEDS=1
//       build/native/tests/bridge/bridge_property_test
// and longer runs with CORVANE_PROPERTY_SEEDS / CORVANE_PROPERTY_STEPS.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "tests/support/bridge_machine.h"

namespace corvane::testing {
namespace {

constexpr std::uint64_t kSeeds = 30;
constexpr std::uint64_t kFirstSeed = 1;

std::uint64_t setting(const char* name, std::uint64_t fallback) {
    const char* text = std::getenv(name);
    return text != nullptr && *text != '\0' ? std::strtoull(text, nullptr, 10) : fallback;
}

TEST(BridgeProperty, InvariantsHoldOverSeededInterleavings) {
    const std::uint64_t first = setting("CORVANE_PROPERTY_FIRST_SEED", kFirstSeed);
    const std::uint64_t seeds = setting("CORVANE_PROPERTY_SEEDS", kSeeds);
    const std::uint64_t steps = setting("CORVANE_PROPERTY_STEPS", CORVANE_PROPERTY_STEPS);
    MachineFigures total;
    for (std::uint64_t seed = first; seed < first + seeds; ++seed) {
        SeededChoices choices(seed);
        BridgeMachine machine(choices);
        for (std::uint64_t n = 0; n < steps && machine.step(choices); ++n) {
        }
        machine.finish();
        ASSERT_FALSE(machine.failed()) << "seed " << seed << ": " << machine.failure();
        total += machine.figures();
    }
    std::printf("%llu seeds, %llu steps: %llu cycles, %llu compared with a full export, "
                "%llu read every command offset, %llu bridging ticks counted for allocations; "
                "%llu block changes, %llu hardware inputs, %llu faults (%llu restarts), "
                "%llu Run!, %llu automatic reconnects; %llu step commands and %llu other "
                "commands posted, none lost or doubled\n",
                static_cast<unsigned long long>(seeds), static_cast<unsigned long long>(total.steps),
                static_cast<unsigned long long>(total.cycles),
                static_cast<unsigned long long>(total.in_step_checks),
                static_cast<unsigned long long>(total.complete_reads),
                static_cast<unsigned long long>(total.allocation_checks),
                static_cast<unsigned long long>(total.block_changes),
                static_cast<unsigned long long>(total.inputs),
                static_cast<unsigned long long>(total.faults),
                static_cast<unsigned long long>(total.restarts),
                static_cast<unsigned long long>(total.run_presses),
                static_cast<unsigned long long>(total.automatic_reconnects),
                static_cast<unsigned long long>(total.step_commands),
                static_cast<unsigned long long>(total.other_commands));
    // The run is evidence only if it went where the faults are.
    EXPECT_GT(total.in_step_checks, total.steps / 10);
    EXPECT_GT(total.complete_reads, total.steps / 20);
    EXPECT_GT(total.allocation_checks, total.steps / 10);
    EXPECT_GT(total.restarts, seeds);
    EXPECT_GT(total.automatic_reconnects, seeds);
    EXPECT_GT(total.step_commands, total.steps / 20);
}

}  // namespace
}  // namespace corvane::testing
