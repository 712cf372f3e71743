// Command import through whole cycles: a client writes the command offsets in
// the stand-in's offset space, the cycle reads them in its exchange, and the
// posts that reach the simulator window are compared with expected lists.
#include <gtest/gtest.h>

#include <vector>

#include "bridge/commands.h"
#include "tests/support/bridge_fixture.h"

namespace corvane {
namespace {

using sim::PostedCommand;
using Posts = std::vector<PostedCommand>;

// Windows of the knob displays, by their index in the display table.
constexpr int kFlightAltitudeWindow = 0;
constexpr int kCourse1Window = 2;
constexpr int kSpeedWindow = 3;
constexpr int kAltitudeWindow = 5;
constexpr int kVerticalSpeedWindow = 6;

constexpr std::uint32_t kAltitudeKnob = 0x94F0;
constexpr std::uint32_t kCourse1Knob = 0x94F1;
constexpr std::uint32_t kSpeedKnob = 0x94F3;
constexpr std::uint32_t kVerticalSpeedKnob = 0x94F4;
constexpr std::uint32_t kFlightAltitudeKnob = 0x94F6;

class CommandsTest : public testing::BridgeTest {
protected:
    void SetUp() override {
        BridgeTest::SetUp();
        // The first cycle posts command 0 (0x9400 holds 0) and nothing else.
        ASSERT_EQ(cycle(), 0);
        ASSERT_EQ(posted(), (Posts{{0, 0}}));
        fake.posts.clear();
    }

    // Turn a counter by delta as a client would (8-bit wrap).
    void turn(std::uint32_t offset, int delta) {
        fake.server.set_u8(offset, static_cast<std::uint8_t>(fake.server.byte_at(offset) + delta));
    }

    Posts cycle_posts() {
        fake.posts.clear();
        EXPECT_EQ(cycle(), 0);
        return posted();
    }
};

TEST(WrappedDifference, IsTheDifferenceModulo256InMinus127To128) {
    struct Case {
        std::int32_t now, last, expected;
    };
    const Case cases[] = {
        {3, 250, 9},   {250, 3, -9}, {128, 0, 128}, {0, 128, 128}, {1, 0, 1},
        {0, 1, -1},    {255, 0, -1}, {0, 255, 1},   {127, 0, 127}, {0, 127, -127},
        {129, 0, -127}, {7, 7, 0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(bridge::wrapped_difference(c.now, c.last), c.expected)
            << c.now << " after " << c.last;
    }
}

TEST_F(CommandsTest, FirstCyclePostsCommandZeroOnceAndResetsTheWord) {
    EXPECT_EQ(fake.server.u16_at(bridge::kCommandWordOffset), 0xFFFF);
    EXPECT_TRUE(cycle_posts().empty());
}

using FirstCycleTest = testing::BridgeTest;

// Corvane restarted beside a running simulator: the counters hold what the
// panels turned before. Only movement after the first read is posted; the
// value byte is posted once, as at every start.
TEST_F(FirstCycleTest, CountersAlreadyMovedAreTheBaseline) {
    fake.server.set_u16(bridge::kCommandWordOffset, 0xFFFF);
    fake.server.set_u8(0x94F9, 2);
    fake.server.set_u8(0x94F0, 200);
    fake.server.set_u8(bridge::kValueByteOffset, 7);
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(posted(), (Posts{{1267, 7}}));
    fake.posts.clear();
    fake.server.set_u8(0x94F9, 3);
    EXPECT_EQ(cycle(), 0);
    EXPECT_EQ(posted(), (Posts{{622, 0}}));
}

TEST_F(CommandsTest, ValueBytePostedWheneverItChanges) {
    fake.server.set_u8(bridge::kValueByteOffset, 200);
    EXPECT_EQ(cycle_posts(), (Posts{{1267, 200}}));
    EXPECT_TRUE(cycle_posts().empty());
    fake.server.set_u8(bridge::kValueByteOffset, 0);
    EXPECT_EQ(cycle_posts(), (Posts{{1267, 0}}));
}

TEST_F(CommandsTest, CommandWordIsPostedOnceAndResetInASecondExchange) {
    fake.server.set_u16(bridge::kCommandWordOffset, 1232);
    const std::size_t exchanges = fake.server.exchange_count();
    EXPECT_EQ(cycle_posts(), (Posts{{1232, 0}}));
    EXPECT_EQ(fake.server.exchange_count(), exchanges + 2);
    const sim::ServedExchange& reset = fake.server.last_exchange();
    ASSERT_EQ(reset.record_count, 1u);
    EXPECT_EQ(reset.records[0].id, fsuipc::kRecordWrite);
    EXPECT_EQ(reset.records[0].offset, bridge::kCommandWordOffset);
    EXPECT_EQ(reset.records[0].size, 2u);
    EXPECT_EQ(fake.server.u16_at(bridge::kCommandWordOffset), 0xFFFF);
    EXPECT_TRUE(cycle_posts().empty());
}

TEST_F(CommandsTest, NegativeCommandWordIsIgnored) {
    for (std::uint16_t word : {std::uint16_t{0xFFFF}, std::uint16_t{0x8000}, std::uint16_t{0xFFFE}}) {
        SCOPED_TRACE(word);
        fake.server.set_u16(bridge::kCommandWordOffset, word);
        const std::size_t exchanges = fake.server.exchange_count();
        EXPECT_TRUE(cycle_posts().empty());
        EXPECT_EQ(fake.server.exchange_count(), exchanges + 1);
        EXPECT_EQ(fake.server.u16_at(bridge::kCommandWordOffset), word);
    }
}

TEST_F(CommandsTest, FailedResetExchangeDoesNotPostTheCommandTwiceInTheCycle) {
    fake.server.set_u16(bridge::kCommandWordOffset, 1232);
    // The server goes silent right after it answered the cycle's exchange.
    fake.tamper = [this](unsigned char*, std::size_t) { fake.server_silent = true; };
    fake.posts.clear();
    EXPECT_EQ(cycle(), fsuipc::kSendFailedNoError);
    EXPECT_EQ(posted(), (Posts{{1232, 0}}));
    // The offset still holds the command, so the next cycle posts it again.
    fake.tamper = nullptr;
    fake.server_silent = false;
    EXPECT_EQ(cycle_posts(), (Posts{{1232, 0}}));
}

TEST_F(CommandsTest, StepCountersPostOneCommandPerStep) {
    fake.server.set_u8(0x94F8, 250);  // from 0: -6
    EXPECT_EQ(cycle_posts(), Posts(6, {627, 0}));
    fake.server.set_u8(0x94F8, 3);    // -247 wraps to +9
    EXPECT_EQ(cycle_posts(), Posts(9, {628, 0}));
    fake.server.set_u8(0x94F8, 250);  // +247 wraps to -9
    EXPECT_EQ(cycle_posts(), Posts(9, {627, 0}));
}

TEST_F(CommandsTest, StepCountersAreHandledInOffsetOrder) {
    turn(0x94FB, -1);
    turn(0x94FA, 1);
    turn(0x94F9, -1);
    turn(0x94F8, 1);
    EXPECT_EQ(cycle_posts(), (Posts{{628, 0}, {621, 0}, {674, 0}, {667, 0}}));
}

TEST_F(CommandsTest, HalfTurnCountsAsPlus128EitherWay) {
    fake.server.set_u8(0x94FA, 128);
    EXPECT_EQ(cycle_posts(), Posts(128, {674, 0}));
    fake.server.set_u8(0x94FA, 0);
    EXPECT_EQ(cycle_posts(), Posts(128, {674, 0}));
}

TEST_F(CommandsTest, AltitudeKnobBuildsOnTheDisplayThenOnTheHeldValue) {
    aircraft->set_window(kAltitudeWindow, 10000);
    turn(kAltitudeKnob, 3);
    EXPECT_EQ(cycle_posts(), (Posts{{1232, 10300}}));
    // The display no longer matters while the hold lasts.
    aircraft->set_window(kAltitudeWindow, 20000);
    turn(kAltitudeKnob, 2);
    EXPECT_EQ(cycle_posts(), (Posts{{1232, 10500}}));
}

TEST_F(CommandsTest, HoldExpiresInTheFifthCycleAfterTheFirstMovement) {
    aircraft->set_window(kAltitudeWindow, 10000);
    turn(kAltitudeKnob, 1);
    EXPECT_EQ(cycle_posts(), (Posts{{1232, 10100}}));
    for (int quiet = 0; quiet < 3; ++quiet) cycle_posts();
    aircraft->set_window(kAltitudeWindow, 20000);
    turn(kAltitudeKnob, 1);  // fourth cycle after the first: still held
    EXPECT_EQ(cycle_posts(), (Posts{{1232, 10200}}));
    aircraft->set_window(kAltitudeWindow, 20000);
    turn(kAltitudeKnob, 1);  // fifth: the hold armed by the first movement is over
    EXPECT_EQ(cycle_posts(), (Posts{{1232, 20100}}));
}

TEST_F(CommandsTest, BlankDisplayRulesPerKnob) {
    aircraft->blank_window(kAltitudeWindow);
    turn(kAltitudeKnob, 1);
    EXPECT_EQ(cycle_posts(), (Posts{{1232, 42000}}));
    turn(kAltitudeKnob, -1);  // held at 42000 now
    EXPECT_EQ(cycle_posts(), (Posts{{1232, 41900}}));

    aircraft->blank_window(kCourse1Window);
    turn(kCourse1Knob, 5);
    EXPECT_EQ(cycle_posts(), (Posts{{1233, 65535}}));

    aircraft->blank_window(kFlightAltitudeWindow);
    turn(kFlightAltitudeKnob, 2);  // blank counts as 0
    EXPECT_EQ(cycle_posts(), (Posts{{1238, 1000}}));
}

// The sign and the hundredths apply to a number: a blank window counts as 0
// before either, so one detent commands one step, never a range end.
TEST_F(CommandsTest, BlankSpeedAndVerticalSpeedCountAsZeroBeforeSignAndHundredths) {
    aircraft->blank_window(kVerticalSpeedWindow);
    aircraft->poke_i32(sim::Block::Sdk1, 0x01F4, 12);  // negative
    turn(kVerticalSpeedKnob, 1);
    EXPECT_EQ(cycle_posts(), (Posts{{1236, 100}}));

    aircraft->blank_window(kSpeedWindow);
    aircraft->poke_i32(sim::Block::Sdk1, 0x01C0, 10);  // hundredths mode
    turn(kSpeedKnob, 1);
    EXPECT_EQ(cycle_posts(), (Posts{{1235, 1}}));  // 0.01, sent as hundredths
}

TEST_F(CommandsTest, VerticalSpeedKnobAppliesTheSignAndItsRange) {
    aircraft->set_window(kVerticalSpeedWindow, 1200);
    aircraft->poke_i32(sim::Block::Sdk1, 0x01F4, 12);  // negative
    turn(kVerticalSpeedKnob, 1);
    EXPECT_EQ(cycle_posts(), (Posts{{1236, -1100}}));
    turn(kVerticalSpeedKnob, -100);
    EXPECT_EQ(cycle_posts(), (Posts{{1236, -7900}}));
}

TEST_F(CommandsTest, SpeedKnobInHundredthsMode) {
    aircraft->set_window(kSpeedWindow, 78);
    aircraft->poke_i32(sim::Block::Sdk1, 0x01C0, 10);  // first digit blank: Mach
    turn(kSpeedKnob, 1);
    EXPECT_EQ(cycle_posts(), (Posts{{1235, 79}}));
    turn(kSpeedKnob, 1);
    EXPECT_EQ(cycle_posts(), (Posts{{1235, 80}}));
}

TEST_F(CommandsTest, SpeedKnobHundredthsSurviveBinaryFractions) {
    // 0.06 + 0.01 is a hair below 0.07 in binary; the knob must still post 7.
    aircraft->set_window(kSpeedWindow, 6);
    aircraft->poke_i32(sim::Block::Sdk1, 0x01C0, 10);
    turn(kSpeedKnob, 1);
    EXPECT_EQ(cycle_posts(), (Posts{{1235, 7}}));
}

TEST_F(CommandsTest, FlightAltitudeKnobIsBroughtIntoRange) {
    aircraft->set_window(kFlightAltitudeWindow, 1000);
    turn(kFlightAltitudeKnob, -5);
    EXPECT_EQ(cycle_posts(), (Posts{{1238, -1000}}));
}

TEST_F(CommandsTest, KnobsAreHandledInOffsetOrderAfterTheStepCounters) {
    aircraft->set_window(kAltitudeWindow, 10000);
    aircraft->set_window(kCourse1Window, 90);
    turn(kCourse1Knob, 1);
    turn(kAltitudeKnob, 1);
    turn(0x94F8, 1);
    fake.server.set_u8(bridge::kValueByteOffset, 9);
    EXPECT_EQ(cycle_posts(), (Posts{{1267, 9}, {628, 0}, {1232, 10100}, {1233, 91}}));
}

TEST_F(CommandsTest, FailedExchangePostsNothingNew) {
    turn(0x94F8, 1);
    fake.server_silent = true;
    fake.posts.clear();
    EXPECT_EQ(cycle(), fsuipc::kSendFailedNoError);
    EXPECT_TRUE(posted().empty());
    fake.server_silent = false;
    EXPECT_EQ(cycle_posts(), (Posts{{628, 0}}));
}

TEST(CommandsWithoutSimulator, AccumulatedMovementIsActedUponOnceTheWindowIsFound) {
    testing::FakeOs world;
    world.has_uipcmain = true;
    sim::AircraftModel& model = world.publish_aircraft();
    model.set_data_valid(1);
    auto b = std::make_unique<bridge::Bridge>(world);
    ASSERT_EQ(bridge::open_links(*b), 0);
    world.server.set_u16(bridge::kCommandWordOffset, 0xFFFF);

    // 200 steps up in three cycles after the baseline: 200 modulo 256 wraps to -56.
    for (int steps : {0, 100, 150, 200}) {
        world.server.set_u8(0x94F8, static_cast<std::uint8_t>(steps));
        ASSERT_EQ(bridge::run_cycle(*b), 0);
    }
    EXPECT_TRUE(world.posts.empty());

    world.has_fs98main = true;
    bridge::close_links(*b);
    ASSERT_EQ(bridge::open_links(*b), 0);
    ASSERT_EQ(bridge::run_cycle(*b), 0);
    ASSERT_EQ(model.commands().size(), 56u);
    for (const PostedCommand& c : model.commands()) EXPECT_EQ(c, (PostedCommand{627, 0}));
    bridge::close_links(*b);
}

TEST_F(CommandsTest, StandInAircraftShowsTheNewValueAndTheNextCyclesExportIt) {
    aircraft->set_window(kAltitudeWindow, 10000);
    ASSERT_EQ(cycle(), 0);
    turn(kAltitudeKnob, 3);
    ASSERT_EQ(cycle(), 0);  // posts 10300; the stand-in acts on it at once
    ASSERT_EQ(cycle(), 0);
    EXPECT_EQ(fake.server.u16_at(0x943A), 10300);
}

}  // namespace
}  // namespace corvane
