// The bridge cycle: its gate on the aircraft data, one exchange per cycle,
// change-only writes, the skip of command handling without a simulator
// window, the result codes, and no allocation in steady state.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <limits>

#include "bridge/bridge.h"
#include "common/numbers.h"
#include "tests/support/alloc_counter.h"
#include "tests/support/bridge_fixture.h"

namespace corvane {
namespace {

using testing::BridgeTest;
using testing::FakeOs;

constexpr std::uint32_t kAltitudeDisplay = 0x943A;
constexpr int kAltitudeWindow = 5;
constexpr std::size_t kCommandReads = 14;
constexpr std::size_t kExportedValues = 33 + 38 + 109;

// The reads every cycle queues, in order.
void expect_command_reads(const sim::ServedExchange& exchange) {
    std::uint32_t expected[kCommandReads] = {0x9400};
    for (std::uint32_t i = 0; i < 12; ++i) expected[1 + i] = 0x94F0 + i;
    expected[13] = 0x9428;
    ASSERT_EQ(exchange.count(fsuipc::kRecordRead), kCommandReads);
    std::size_t n = 0;
    for (std::size_t i = 0; i < exchange.record_count && i < exchange.kMaxLoggedRecords; ++i) {
        const sim::ServedRecord& r = exchange.records[i];
        if (r.id != fsuipc::kRecordRead) continue;
        SCOPED_TRACE(n);
        EXPECT_EQ(r.offset, expected[n]);
        EXPECT_EQ(r.size, n == 0 ? 2u : 1u);
        ++n;
    }
}

TEST_F(BridgeTest, MissingSdk2ViewReturnsOneAndTouchesNeitherBlock) {
    bridge::close_links(*bridge);
    ASSERT_EQ(fsuipc::open(bridge->client, fake, 0, bridge->link_result_code), 1);
    std::memset(bridge->blocks.sdk1, 0x33, sizeof bridge->blocks.sdk1);
    std::memset(bridge->blocks.sdk2, 0x44, sizeof bridge->blocks.sdk2);
    const std::size_t exchanges = fake.server.exchange_count();

    EXPECT_EQ(cycle(), bridge::kAircraftDataMissing);
    EXPECT_EQ(bridge->blocks.sdk1[0], 0x33);
    EXPECT_EQ(bridge->blocks.sdk2[0], 0x44);
    EXPECT_EQ(fake.server.exchange_count(), exchanges);
}

TEST_F(BridgeTest, MissingSdk1ViewStillRefreshesTheSdk2Block) {
    // Only the record can have one view without the other; open never leaves that.
    const unsigned char* sdk1_view = bridge->link.sdk1_view;
    bridge->link.sdk1_view = nullptr;
    aircraft->poke_i32(sim::Block::Sdk2, 0x1A48, 1);
    std::memset(bridge->blocks.sdk1, 0x33, sizeof bridge->blocks.sdk1);
    const std::size_t exchanges = fake.server.exchange_count();

    EXPECT_EQ(cycle(), bridge::kAircraftDataMissing);
    EXPECT_EQ(load_i32(bridge->blocks.sdk2 + 0x1A48), 1);
    EXPECT_EQ(bridge->blocks.sdk1[0], 0x33);
    EXPECT_EQ(fake.server.exchange_count(), exchanges);
    bridge->link.sdk1_view = sdk1_view;
}

TEST_F(BridgeTest, InvalidDataRefreshesBothBlocksAndDoesNothingElse) {
    aircraft->set_data_valid(0);
    aircraft->set_window(kAltitudeWindow, 12000);
    aircraft->poke_i32(sim::Block::Sdk2, 0x1A48, 1);
    fake.server.set_u16(0x9400, 1232);
    const std::size_t exchanges = fake.server.exchange_count();

    EXPECT_EQ(cycle(), bridge::kAircraftDataMissing);
    EXPECT_EQ(load_i32(bridge->blocks.sdk2 + 0x1A48), 1);
    EXPECT_EQ(load_i32(bridge->blocks.sdk1 + 0x01E0), 1);  // the altitude's ten-thousands field
    EXPECT_EQ(fake.server.exchange_count(), exchanges);
    EXPECT_EQ(bridge->client.next_free, 0u);  // nothing queued
    EXPECT_TRUE(posted().empty());
    EXPECT_EQ(fake.server.u16_at(kAltitudeDisplay), 0);
}

TEST_F(BridgeTest, AnyNonZeroDataValidFieldLetsTheCycleRun) {
    aircraft->set_data_valid(2);
    EXPECT_EQ(cycle(), 0);
    aircraft->set_data_valid(-1);
    EXPECT_EQ(cycle(), 0);
}

TEST_F(BridgeTest, QuietCycleStillExchangesTheCommandReadsOnce) {
    ASSERT_EQ(cycle(), 0);  // first cycle writes what is non-zero
    const std::size_t exchanges = fake.server.exchange_count();
    EXPECT_EQ(cycle(), 0);
    ASSERT_EQ(fake.server.exchange_count(), exchanges + 1);
    const sim::ServedExchange& exchange = fake.server.last_exchange();
    EXPECT_EQ(exchange.count(fsuipc::kRecordWrite), 0u);
    expect_command_reads(exchange);
}

TEST_F(BridgeTest, ChangedValuesTravelInTheSameExchangeAsTheReads) {
    ASSERT_EQ(cycle(), 0);
    aircraft->set_window(kAltitudeWindow, 12000);
    const std::size_t exchanges = fake.server.exchange_count();
    ASSERT_EQ(cycle(), 0);
    ASSERT_EQ(fake.server.exchange_count(), exchanges + 1);
    const sim::ServedExchange& exchange = fake.server.last_exchange();
    EXPECT_TRUE(exchange.has_write(kAltitudeDisplay));
    expect_command_reads(exchange);
    // The writes are queued before the reads.
    EXPECT_EQ(exchange.records[0].id, fsuipc::kRecordWrite);
    EXPECT_EQ(fake.server.u16_at(kAltitudeDisplay), 12000);
}

// Corvane restarted beside a running simulator: the offsets still hold what
// the aircraft showed when the last run ended. The first export writes every
// value, zeros included, and from then on only changes.
TEST_F(BridgeTest, FirstCycleOfTheProgramWritesEveryValueZerosIncluded) {
    std::memset(fake.server.space() + 0x9402, 0xA5, 0x94F0 - 0x9402);  // stale
    fake.server.set_u16(0x9400, 0xFFFF);  // no command word: one exchange
    aircraft->set_window(kAltitudeWindow, 0);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.last_exchange().count(fsuipc::kRecordWrite), kExportedValues);
    EXPECT_EQ(fake.server.u16_at(kAltitudeDisplay), 0);
    EXPECT_EQ(fake.server.byte_at(0x9402), 0);  // a lamp that went out
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.last_exchange().count(fsuipc::kRecordWrite), 0u);
}

// The writes of a failed exchange are lost while the shadows claim them
// delivered: the next cycle that gets through writes every exported value,
// however many failed cycles, invalid data and reconnects came between.
TEST_F(BridgeTest, AfterAFailedExchangeTheNextCycleThatGetsThroughWritesEverything) {
    fake.server.set_u16(0x9400, 0xFFFF);  // no command word: one exchange a cycle
    ASSERT_EQ(cycle(), 0);
    aircraft->set_window(kAltitudeWindow, 12000);
    fake.server_silent = true;
    EXPECT_EQ(cycle(), fsuipc::kSendFailedNoError);
    EXPECT_EQ(cycle(), fsuipc::kSendFailedNoError);  // the retry fails too
    fake.server_silent = false;
    aircraft->set_data_valid(0);
    EXPECT_EQ(cycle(), bridge::kAircraftDataMissing);
    bridge::close_links(*bridge);
    ASSERT_EQ(bridge::open_links(*bridge), 0);
    aircraft->set_data_valid(1);

    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.last_exchange().count(fsuipc::kRecordWrite), kExportedValues);
    EXPECT_EQ(fake.server.u16_at(kAltitudeDisplay), 12000);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.last_exchange().count(fsuipc::kRecordWrite), 0u);
}

// A restarted simulator: new windows, offsets all zero, counters from 0.
TEST_F(BridgeTest, ARestartedSimulatorGetsEveryValueBackAndNoStaleCommand) {
    aircraft->set_window(kAltitudeWindow, 12000);
    aircraft->poke_i32(sim::Block::Sdk1, 0x0018, 1);  // a lamp
    fake.server.set_u16(0x9400, 0xFFFF);
    fake.server.set_u8(0x94F8, 200);  // step counter
    fake.server.set_u8(0x94F0, 7);    // altitude knob
    fake.server.set_u8(0x9428, 42);   // value byte
    ASSERT_EQ(cycle(), 0);
    ASSERT_EQ(cycle(), 0);
    unsigned char before[0x94F0 - 0x9402];
    std::memcpy(before, fake.server.space() + 0x9402, sizeof before);
    aircraft->clear_commands();

    fake.restart_simulator();
    fake.server.set_u16(0x9400, 0xFFFF);
    bridge::close_links(*bridge);
    ASSERT_EQ(bridge::open_links(*bridge), 0);
    ASSERT_EQ(bridge->link.simulator_window, fake.fs98main_window());
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.last_exchange().count(fsuipc::kRecordWrite), kExportedValues);
    before[0x9428 - 0x9402] = 0;  // the value byte is the panel's, not exported
    EXPECT_EQ(std::memcmp(fake.server.space() + 0x9402, before, sizeof before), 0);
    EXPECT_TRUE(aircraft->commands().empty());

    fake.server.set_u8(0x94F8, 1);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(aircraft->commands(), (std::vector<sim::PostedCommand>{{628, 0}}));
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.last_exchange().count(fsuipc::kRecordWrite), 0u);
}

TEST_F(BridgeTest, WithoutSimulatorWindowValuesAreExportedButNothingIsPosted) {
    FakeOs world;
    world.has_uipcmain = true;  // the offset server, but no "FS98MAIN" window
    sim::AircraftModel& model = world.publish_aircraft();
    model.set_data_valid(1);
    model.set_window(kAltitudeWindow, 12000);
    auto b = std::make_unique<bridge::Bridge>(world);
    ASSERT_EQ(bridge::open_links(*b), 0);
    world.server.set_u16(0x9400, 1232);
    world.server.set_u8(0x94F8, 3);

    EXPECT_EQ(bridge::run_cycle(*b), 0);
    EXPECT_EQ(world.server.u16_at(kAltitudeDisplay), 12000);
    expect_command_reads(world.server.last_exchange());
    EXPECT_TRUE(world.posts.empty());
    EXPECT_EQ(world.server.u16_at(0x9400), 1232);  // not reset either

    world.server_silent = true;
    world.send_failure_error = 0;
    EXPECT_EQ(bridge::run_cycle(*b), fsuipc::kSendFailedNoError);
    bridge::close_links(*b);
}

TEST_F(BridgeTest, FailedExchangeIsTheCycleResult) {
    struct Case {
        const char* name;
        bool silent;
        std::uint32_t error;
        std::uintptr_t answer;
        std::int32_t code;
    };
    const Case cases[] = {
        {"silent, no last error", true, 0, 1, fsuipc::kSendFailedNoError},
        {"silent, last error", true, 1460, 1, fsuipc::kSendFailedWithError},
        {"answer other than 1", false, 0, 0, fsuipc::kBadAnswer},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fake.server_silent = c.silent;
        fake.send_failure_error = c.error;
        fake.server_answer = c.answer;
        EXPECT_EQ(cycle(), c.code);
        fake.server_silent = false;
        fake.server_answer = 1;
        EXPECT_EQ(cycle(), 0);
    }
}

TEST_F(BridgeTest, ShadowsSurviveAReconnect) {
    aircraft->set_window(kAltitudeWindow, 12000);
    ASSERT_EQ(cycle(), 0);
    bridge::close_links(*bridge);
    ASSERT_EQ(bridge::open_links(*bridge), 0);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.last_exchange().count(fsuipc::kRecordWrite), 0u);
}

// The stages are skipped while the blocks stay the same; nothing a client can
// see may differ from running them.
TEST_F(BridgeTest, NaNPanelSourceIsWrittenInEveryCycleEvenWhenNothingChanges) {
    constexpr std::uint32_t kDoubleRow = 0x9480;  // SDK1 0x0008, truncated
    fake.server.set_u16(0x9400, 0xFFFF);         // no command word: one exchange a cycle
    aircraft->poke_f64(sim::Block::Sdk1, 0x0008, std::nan(""));
    for (int i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        fake.server.set_u16(kDoubleRow, 0xAAAA);
        ASSERT_EQ(cycle(), 0);
        EXPECT_TRUE(fake.server.last_exchange().has_write(kDoubleRow));
        EXPECT_EQ(fake.server.u16_at(kDoubleRow), 0);
    }
    aircraft->poke_f64(sim::Block::Sdk1, 0x0008, 2.5);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.u16_at(kDoubleRow), 2);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.last_exchange().count(fsuipc::kRecordWrite), 0u);
}

TEST_F(BridgeTest, BlocksRefreshedOutsideTheCycleAreStillExported) {
    ASSERT_EQ(cycle(), 0);
    // The connection checks copy the SDK1 block themselves.
    aircraft->set_window(kAltitudeWindow, 23000);
    ASSERT_TRUE(aircraft::snapshot_sdk1(bridge->link, bridge->blocks));
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.u16_at(kAltitudeDisplay), 23000);
}

TEST_F(BridgeTest, SnapshotRevisionCountsOnlyCopiesThatChangedABlock) {
    ASSERT_EQ(cycle(), 0);
    const std::uint64_t revision = bridge->blocks.revision;
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(bridge->blocks.revision, revision);
    aircraft->poke_i32(sim::Block::Sdk2, aircraft::kSdk2BlockSize - 4, 5);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(bridge->blocks.revision, revision + 1);
    EXPECT_EQ(load_i32(bridge->blocks.sdk2 + aircraft::kSdk2BlockSize - 4), 5);
    // The byte past the copied part of a view never enters a block.
    aircraft->poke_i32(sim::Block::Sdk2, aircraft::kSdk2BlockSize - 3, 0x7F000000);
    aircraft->poke_i32(sim::Block::Sdk2, aircraft::kSdk2BlockSize - 4, 5);
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(bridge->blocks.revision, revision + 1);
}

TEST_F(BridgeTest, ThousandCyclesAllocateNothing) {
    aircraft->set_window(kAltitudeWindow, 12000);
    ASSERT_EQ(cycle(), 0);
    testing::AllocationScope scope;
    for (int i = 0; i < 1000; ++i) {
        // Something changes every cycle, so writes are queued too, and one
        // exchange fails, so one cycle writes everything.
        aircraft->poke_i32(sim::Block::Sdk1, 0x0018, i & 1);
        fake.server_silent = i == 500;
        if (cycle() != (i == 500 ? fsuipc::kSendFailedNoError : 0)) break;
    }
    EXPECT_EQ(scope.allocations(), 0u);
    EXPECT_EQ(cycle(), 0);
}

}  // namespace
}  // namespace corvane
